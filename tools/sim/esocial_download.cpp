#include "tools/sim/esocial_download_int.h"

#include <algorithm>
#include <array>
#include <optional>

#include "tools/sim/esocial_codes.h"
#include "tools/sim/esocial_lote_int.h"
#include "tools/sim/esocial_signature.h"
#include "tools/sim/esocial_soap_int.h"
#include "tools/sim/esocial_xml_text.h"

namespace luvaro::sim::esocial {
namespace {

constexpr std::string_view kIdentServico =
    "http://www.esocial.gov.br/servicos/empregador/consulta/identificadores-eventos/v1_0_0";
constexpr std::string_view kDownloadServico =
    "http://www.esocial.gov.br/servicos/empregador/download/solicitacao/v1_0_0";

constexpr std::array kIdentOperacoes{
    SoapOperation{"http://www.esocial.gov.br/servicos/empregador/consulta/identificadores-eventos/"
                  "v1_0_0/ServicoConsultarIdentificadoresEventos/"
                  "ConsultarIdentificadoresEventosEmpregador",
                  "ConsultarIdentificadoresEventosEmpregador", "consultaEventosEmpregador",
                  kIdentServico},
    SoapOperation{"http://www.esocial.gov.br/servicos/empregador/consulta/identificadores-eventos/"
                  "v1_0_0/ServicoConsultarIdentificadoresEventos/"
                  "ConsultarIdentificadoresEventosTabela",
                  "ConsultarIdentificadoresEventosTabela", "consultaEventosTabela", kIdentServico},
    SoapOperation{"http://www.esocial.gov.br/servicos/empregador/consulta/identificadores-eventos/"
                  "v1_0_0/ServicoConsultarIdentificadoresEventos/"
                  "ConsultarIdentificadoresEventosTrabalhador",
                  "ConsultarIdentificadoresEventosTrabalhador", "consultaEventosTrabalhador",
                  kIdentServico},
};

constexpr std::array kDownloadOperacoes{
    SoapOperation{"http://www.esocial.gov.br/servicos/empregador/download/solicitacao/v1_0_0/"
                  "ServicoSolicitarDownloadEventos/SolicitarDownloadEventosPorId",
                  "SolicitarDownloadEventosPorId", "solicitacao", kDownloadServico},
    SoapOperation{"http://www.esocial.gov.br/servicos/empregador/download/solicitacao/v1_0_0/"
                  "ServicoSolicitarDownloadEventos/SolicitarDownloadEventosPorNrRecibo",
                  "SolicitarDownloadEventosPorNrRecibo", "solicitacao", kDownloadServico},
};

// Per operation: the request's namespace family, its version and its schema file.
struct Solicitacao {
  std::string_view familia;
  std::string_view versao;
  std::string_view schema;
};
constexpr std::array kIdentSolicitacoes{
    Solicitacao{"http://www.esocial.gov.br/schema/consulta/identificadores-eventos/empregador/",
                "v1_0_0", "ConsultaIdentificadoresEventosEmpregador-v1_0_0.xsd"},
    Solicitacao{"http://www.esocial.gov.br/schema/consulta/identificadores-eventos/tabela/",
                "v1_0_0", "ConsultaIdentificadoresEventosTabela-v1_0_0.xsd"},
    Solicitacao{"http://www.esocial.gov.br/schema/consulta/identificadores-eventos/trabalhador/",
                "v1_0_0", "ConsultaIdentificadoresEventosTrabalhador-v1_0_0.xsd"},
};
constexpr std::array kDownloadSolicitacoes{
    Solicitacao{"http://www.esocial.gov.br/schema/download/solicitacao/id/", "v1_0_0",
                "SolicitacaoDownloadEventosPorId-v1_0_0.xsd"},
    Solicitacao{"http://www.esocial.gov.br/schema/download/solicitacao/nrRecibo/", "v1_0_0",
                "SolicitacaoDownloadEventosPorNrRecibo-v1_0_0.xsd"},
};

constexpr std::string_view kRetornoIdentNamespace =
    "http://www.esocial.gov.br/schema/consulta/identificadores-eventos/retorno/v1_0_0";
constexpr std::string_view kRetornoDownloadNamespace =
    "http://www.esocial.gov.br/schema/download/solicitacao/retorno/v1_0_0";

struct Status {
  ReplyCode codigo;
  std::string detalhe;  // appended to the code's text
};

std::string Descricao(const Status& status) {
  return LimitarTexto(status.detalhe.empty()
                          ? std::string(status.codigo.text)
                          : std::string(status.codigo.text) + " " + status.detalhe);
}

void EscreverStatus(XmlText& xml, const Status& status) {
  xml.Open("status")
      .Leaf("cdResposta", std::to_string(status.codigo.code))
      .Leaf("descResposta", Descricao(status))
      .Close();
}

// A signed request document that passed the service's checks, or why it did not.
struct Checado {
  XmlDoc doc;
  std::optional<Status> recusa;
};

Checado ChecarSolicitacao(xmlNode* payload, const Solicitacao& esperada, ServiceContext context) {
  Checado checado;
  if (!payload) {
    checado.recusa = Status{kSolicitacaoNulaVazia, "A mensagem não contém uma solicitação."};
    return checado;
  }
  const std::string_view ns = NamespaceUri(payload);
  const std::string_view versao =
      ns.starts_with(esperada.familia) ? ns.substr(esperada.familia.size()) : std::string_view();
  if (LocalName(payload) != "eSocial" || versao.empty() ||
      versao.find('/') != std::string_view::npos) {
    checado.recusa = Status{kSolicitacaoSchemaInvalido,
                            "O documento não é do tipo esperado "
                            "(namespace '" +
                                std::string(ns) + "')."};
    return checado;
  }
  if (versao != esperada.versao) {
    checado.recusa =
        Status{kSolicitacaoVersaoSchema, "Versão não aceita: " + std::string(ns) + "."};
    return checado;
  }
  checado.doc = CopyAsDocument(payload);
  if (auto erros = context.schemas.Validate(checado.doc.get(), esperada.schema); !erros.empty()) {
    checado.recusa = Status{kSolicitacaoSchemaInvalido, erros.front()};
    return checado;
  }
  const SignatureCheck assinatura =
      SignatureVerifier(context.config.trustedCaPem).Verify(checado.doc.get());
  if (!assinatura.valid) {
    checado.recusa = Status{kSolicitacaoErroCertificado, assinatura.detail};
  }
  return checado;
}

std::string RaizDoEmpregador(const Inscricao& ide) {
  return ide.tpInsc == "1" ? ide.nrInsc.substr(0, 8) : ide.nrInsc;
}

bool DoEmpregador(const EventoAceito& evento, const Inscricao& ide) {
  return evento.empregador.tpInsc == ide.tpInsc &&
         RaizDoEmpregador(evento.empregador) == RaizDoEmpregador(ide);
}

// Reception moments compared as text on their first 19 characters (yyyy-mm-ddThh:mm:ss).
bool NoIntervalo(const std::string& momento, const std::string& ini, const std::string& fim) {
  const std::string m = momento.substr(0, 19);
  return (ini.empty() || m >= ini.substr(0, 19)) && (fim.empty() || m <= fim.substr(0, 19));
}

// A table key ("codRubr;ideTabRubr") matches when each of its parts is the text of some element
// of the event's identification group.
bool TemChave(const EventoAceito& evento, const std::string& chave) {
  if (chave.empty()) return true;
  ParsedXml parsed = ParseXml(evento.xml);
  if (!parsed.doc) return false;
  std::vector<std::string> textos;
  std::vector<xmlNode*> pendentes{xmlDocGetRootElement(parsed.doc.get())};
  while (!pendentes.empty()) {
    xmlNode* node = pendentes.back();
    pendentes.pop_back();
    if (!FirstElement(node)) textos.push_back(NodeText(node));
    for (xmlNode* n = FirstElement(node); n; n = NextElement(n)) pendentes.push_back(n);
  }
  std::size_t inicio = 0;
  while (inicio <= chave.size()) {
    const std::size_t fim = std::min(chave.find(';', inicio), chave.size());
    const std::string parte = chave.substr(inicio, fim - inicio);
    if (!parte.empty() && std::find(textos.begin(), textos.end(), parte) == textos.end()) {
      return false;
    }
    inicio = fim + 1;
  }
  return true;
}

HttpReply Responder(const SoapOperation& operacao, const std::string& documento,
                    ServiceContext context) {
  return SoapResult(operacao, documento, context.config.resultadoPrefixado);
}

std::string RetornoIdentificadores(const Status& status,
                                   const std::vector<EventoAceito>* encontrados) {
  XmlText xml;
  xml.Open("eSocial", {{"xmlns", std::string(kRetornoIdentNamespace)}})
      .Open("retornoConsultaIdentificadoresEvts");
  EscreverStatus(xml, status);
  if (encontrados) {
    const std::size_t retornados =
        std::min<std::size_t>(encontrados->size(), static_cast<std::size_t>(kMaxIdentificadores));
    xml.Open("retornoIdentificadoresEvts")
        .Leaf("qtdeTotEvtsConsulta", std::to_string(encontrados->size()));
    if (retornados > 0) {
      xml.Leaf("dhUltimoEvtRetornado", (*encontrados)[retornados - 1].dhProcessamento)
          .Open("identificadoresEvts");
      for (std::size_t i = 0; i < retornados; ++i) {
        xml.Open("identificadorEvt")
            .Leaf("id", (*encontrados)[i].id)
            .Leaf("nrRec", (*encontrados)[i].nrRecibo)
            .Close();
      }
      xml.Close();
    }
    xml.Close();
  }
  return xml.Take();
}

}  // namespace

HttpReply ConsultarIdentificadores(const HttpRequest& request, ServiceContext context) {
  auto read = ReadSoapRequest(request, kIdentOperacoes);
  if (auto* refused = std::get_if<HttpReply>(&read)) return std::move(*refused);
  SoapRequest& soap = std::get<SoapRequest>(read);
  const std::size_t tipo = static_cast<std::size_t>(soap.operation - kIdentOperacoes.data());
  Checado checado = ChecarSolicitacao(soap.payload, kIdentSolicitacoes[tipo], context);
  if (checado.recusa) {
    return Responder(*soap.operation, RetornoIdentificadores(*checado.recusa, nullptr), context);
  }
  xmlNode* consulta =
      ChildElement(xmlDocGetRootElement(checado.doc.get()), "consultaIdentificadoresEvts");
  xmlNode* ide = ChildElement(consulta, "ideEmpregador");
  const Inscricao empregador{ChildText(ide, "tpInsc"), ChildText(ide, "nrInsc")};
  xmlNode* filtro = NextElement(ide);
  const std::string tpEvt = ChildText(filtro, "tpEvt");
  if (tipo != 2 && ElementoDoTipo(tpEvt).empty()) {
    return Responder(*soap.operation,
                     RetornoIdentificadores(Status{kSolicitacaoErroPreenchimento,
                                                   "Tipo de evento desconhecido: '" + tpEvt + "'."},
                                            nullptr),
                     context);
  }
  std::vector<EventoAceito> encontrados;
  for (EventoAceito& evento : context.store.Aceitos()) {
    if (!DoEmpregador(evento, empregador)) continue;
    bool confere = false;
    if (tipo == 0) {
      confere = evento.tipo == tpEvt && evento.perApur == ChildText(filtro, "perApur");
    } else if (tipo == 1) {
      confere = evento.tipo == tpEvt &&
                NoIntervalo(evento.dhProcessamento, ChildText(filtro, "dtIni"),
                            ChildText(filtro, "dtFim")) &&
                TemChave(evento, ChildText(filtro, "chEvt"));
    } else {
      confere = evento.cpfTrab == ChildText(filtro, "cpfTrab") &&
                NoIntervalo(evento.dhProcessamento, ChildText(filtro, "dtIni"),
                            ChildText(filtro, "dtFim"));
    }
    if (confere) encontrados.push_back(std::move(evento));
  }
  const Status status{encontrados.empty() ? kIdentificadoresNenhum
                      : static_cast<int>(encontrados.size()) > kMaxIdentificadores
                          ? kIdentificadoresAcimaDoLimite
                          : kIdentificadoresEncontrados,
                      {}};
  return Responder(*soap.operation, RetornoIdentificadores(status, &encontrados), context);
}

HttpReply SolicitarDownload(const HttpRequest& request, ServiceContext context) {
  auto read = ReadSoapRequest(request, kDownloadOperacoes);
  if (auto* refused = std::get_if<HttpReply>(&read)) return std::move(*refused);
  SoapRequest& soap = std::get<SoapRequest>(read);
  const bool porId = soap.operation == &kDownloadOperacoes[0];
  Checado checado = ChecarSolicitacao(soap.payload, kDownloadSolicitacoes[porId ? 0 : 1], context);
  auto documento = [](const Status& status, const std::string& arquivos) {
    XmlText xml;
    xml.Open("eSocial", {{"xmlns", std::string(kRetornoDownloadNamespace)}}).Open("download");
    EscreverStatus(xml, status);
    if (!arquivos.empty()) {
      xml.Open("retornoSolicDownloadEvts").Open("arquivos").Raw(arquivos);
    }
    return xml.Take();
  };
  if (checado.recusa) return Responder(*soap.operation, documento(*checado.recusa, {}), context);

  xmlNode* download = ChildElement(xmlDocGetRootElement(checado.doc.get()), "download");
  xmlNode* ide = ChildElement(download, "ideEmpregador");
  const Inscricao empregador{ChildText(ide, "tpInsc"), ChildText(ide, "nrInsc")};
  const std::vector<xmlNode*> pedidos = ChildElements(
      ChildElement(download, porId ? "solicDownloadEvtsPorId" : "solicDownloadEventosPorNrRecibo"),
      porId ? "id" : "nrRec");
  if (static_cast<int>(pedidos.size()) > kMaxArquivos) {
    return Responder(*soap.operation,
                     documento(Status{kSolicitacaoErroPreenchimento,
                                      "Foram pedidos " + std::to_string(pedidos.size()) +
                                          " eventos; o máximo por solicitação é " +
                                          std::to_string(kMaxArquivos) + "."},
                               {}),
                     context);
  }
  XmlText arquivos;
  for (xmlNode* pedido : pedidos) {
    const std::string chave = NodeText(pedido);
    std::optional<EventoAceito> evento =
        porId ? context.store.Aceito(chave) : context.store.AceitoPorRecibo(chave);
    if (evento && !DoEmpregador(*evento, empregador)) evento.reset();
    arquivos.Open("arquivo");
    if (!evento) {
      EscreverStatus(arquivos, Status{kArquivoNaoEncontrado, "(" + chave + ")"});
    } else {
      EscreverStatus(arquivos, Status{kArquivoEncontrado, {}});
      arquivos.Open("evt", {{"Id", evento->id}}).Raw(evento->xml).Close();
      arquivos.Open("rec", {{"nrRec", evento->nrRecibo}})
          .Raw(evento->resultado.retornoEvento)
          .Close();
    }
    arquivos.Close();
  }
  return Responder(*soap.operation, documento(Status{kDownloadProcessado, {}}, arquivos.Take()),
                   context);
}

}  // namespace luvaro::sim::esocial
