#include "tools/sim/reinf_rest.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>

#include <libxml/c14n.h>

#include "reinf/reinf_rest_codigos.h"
#include "tools/sim/esocial_signature.h"
#include "tools/sim/esocial_xml_int.h"
#include "tools/sim/esocial_xml_text.h"
#include "tools/sim/reinf_lote_int.h"
#include "tools/sim/service_util.h"

namespace luvaro::sim::reinf {
namespace {

namespace rest = luvaro::reinf;

constexpr std::string_view kVersaoRest = "v2_01_02";
constexpr std::string_view kEnvioNs =
    "http://www.reinf.esocial.gov.br/schemas/envioLoteEventosAssincrono/v1_00_00";
constexpr std::string_view kRetornoNs =
    "http://www.reinf.esocial.gov.br/schemas/retornoLoteEventosAssincrono/v1_00_00";
constexpr std::string_view kEnvioSchema = "envioLoteEventosAssincrono-v1_00_00.xsd";
constexpr std::string_view kVersaoAplicativo = "luvaro-sim 2.1.2";
constexpr std::string_view kContentType = "application/xml; charset=utf-8";

struct OcorrenciaRest {
  std::string codigo;
  std::string descricao;
  int tipo = 1;  // 1 error, 2 warning
  std::string localizacao;
};

struct EventoDoLote {
  std::string id;
  std::string tpEv;  // "2010"; "" when the event was not recognised
  std::string perApur;
  std::string hash;
  std::vector<OcorrenciaRest> ocorrencias;
};

struct LoteRecebido {
  std::string tpInsc, nrInsc;
  std::string dhRecepcao;
  std::string protocolo;
  std::vector<EventoDoLote> eventos;
  int consultas = 0;
  std::string processado;  // the processed reply, made on the first query after processing
};

std::string Canonico(xmlDoc* doc) {
  xmlChar* bytes = nullptr;
  const int size = xmlC14NDocDumpMemory(doc, nullptr, XML_C14N_1_0, nullptr, 0, &bytes);
  const std::unique_ptr<xmlChar, CFree<[](xmlChar* p) { xmlFree(p); }>> owner(bytes);
  if (size < 0 || !bytes) return {};
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

// The four digits of an event's code from its namespace's schema name: "evtTomadorServicos"
// is 2010, "evt4020PagtoBeneficiarioPJ" is 4020.
std::string CodigoDoSchema(std::string_view nome) {
  static constexpr std::pair<std::string_view, std::string_view> kNomes[] = {
      {"evtInfoContribuinte", "1000"},
      {"evtTabProcesso", "1070"},
      {"evtTomadorServicos", "2010"},
      {"evtPrestadorServicos", "2020"},
      {"evtRecursoRecebidoAssociacao", "2030"},
      {"evtRecursoRepassadoAssociacao", "2040"},
      {"evtInfoProdRural", "2050"},
      {"evtInfoCPRB", "2060"},
      {"evtReabreEvPer", "2098"},
      {"evtFechamento", "2099"},
      {"evtEspDesportivo", "3010"},
      {"evtExclusao", "9000"}};
  for (const auto& [schema, codigo] : kNomes)
    if (schema == nome) return std::string(codigo);
  if (nome.size() > 7 && nome.starts_with("evt") && SoDigitos(nome.substr(3, 4)))
    return std::string(nome.substr(3, 4));
  return {};
}

void Status(XmlText& x, const rest::TRespostaLoteRest& resposta,
            const std::vector<OcorrenciaRest>& ocorrencias = {}) {
  x.Open("status").Leaf("cdResposta", std::to_string(resposta.cdResposta));
  x.Leaf("descResposta", resposta.descResposta);
  if (!ocorrencias.empty()) {
    x.Open("ocorrencias");
    for (const OcorrenciaRest& o : ocorrencias) {
      x.Open("ocorrencia")
          .Leaf("codigo", o.codigo)
          .Leaf("descricao", LimitarTexto(o.descricao, 2048));
      x.Leaf("tipo", std::to_string(o.tipo)).LeafIf("localizacao", o.localizacao).Close();
    }
    x.Close();
  }
  x.Close();
}

HttpReply Resposta(int status, const std::string& tpInsc, const std::string& nrInsc,
                   const rest::TRespostaLoteRest& resposta,
                   const std::vector<OcorrenciaRest>& ocorrencias, const std::string& recepcao) {
  XmlText x;
  x.Raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  x.Open("Reinf", {{"xmlns", std::string(kRetornoNs)}}).Open("retornoLoteEventosAssincrono");
  x.Open("ideContribuinte").Leaf("tpInsc", tpInsc).Leaf("nrInsc", nrInsc).Close();
  Status(x, resposta, ocorrencias);
  x.Raw(recepcao);
  return HttpReply{status, std::string(kContentType), x.Take()};
}

std::string DadosRecepcao(const LoteRecebido& lote) {
  XmlText x;
  x.Open("dadosRecepcaoLote").Leaf("dhRecepcao", lote.dhRecepcao);
  x.Leaf("versaoAplicativoRecepcao", kVersaoAplicativo).Leaf("protocoloEnvio", lote.protocolo);
  return x.Take();
}

// The result of one event: R-9011-shaped for the closing R-2099, R-9001-shaped otherwise.
std::string RetornoEvento(const LoteRecebido& lote, const EventoDoLote& evento,
                          const std::string& recibo, const Momento& processamento) {
  const bool fechamento = evento.tpEv == "2099";
  const std::string elemento = fechamento ? "evtTotalContrib" : "evtTotal";
  XmlText x;
  x.Open("Reinf", {{"xmlns", "http://www.reinf.esocial.gov.br/schemas/" + elemento + "/" +
                                 std::string(kVersaoRest)}});
  x.Open(elemento, {{"id", "ID" + evento.id.substr(std::min<std::size_t>(2, evento.id.size()))}});
  if (!evento.perApur.empty() || fechamento)
    x.Open("ideEvento")
        .Leaf("perApur", evento.perApur.empty() ? lote.dhRecepcao.substr(0, 7) : evento.perApur)
        .Close();
  x.Open("ideContri").Leaf("tpInsc", lote.tpInsc).Leaf("nrInsc", lote.nrInsc).Close();
  x.Open("ideRecRetorno").Open("ideStatus");
  if (evento.ocorrencias.empty()) {
    x.Leaf("cdRetorno", "0").Leaf("descRetorno", "SUCESSO");
  } else {
    x.Leaf("cdRetorno", "1").Leaf("descRetorno", "ERRO");
    for (const OcorrenciaRest& o : evento.ocorrencias) {
      x.Open("regOcorrs").Leaf("tpOcorr", std::to_string(o.tipo));
      x.LeafIf("localErroAviso", LimitarTexto(o.localizacao, 200)).Leaf("codResp", o.codigo);
      x.Leaf("dscResp", LimitarTexto(o.descricao, 999)).Close();
    }
  }
  x.Close().Close();
  x.Open("infoRecEv");
  if (fechamento) {
    x.LeafIf("nrProtEntr", evento.ocorrencias.empty() ? lote.protocolo : "");
    x.LeafIf("nrRecArqBase", recibo);
  } else {
    x.LeafIf("nrRecArqBase", recibo);
    x.LeafIf("nrProtEntr", evento.ocorrencias.empty() ? lote.protocolo : "");
  }
  x.Leaf("dhRecepcao", lote.dhRecepcao).Leaf("dhProcess", processamento.dataHora);
  x.Leaf("tpEv", evento.tpEv.empty() ? "0000" : evento.tpEv).Leaf("idEv", evento.id);
  x.Leaf("hash", evento.hash).Close();
  if (fechamento && evento.ocorrencias.empty())
    x.Open("infoTotalContrib").Leaf("indExistInfo", "1").Close();
  return x.Take();
}

}  // namespace

struct ReinfRestService::Impl {
  explicit Impl(ReinfConfig c)
      : config(std::move(c)), pasta(config.schemas / kVersaoRest), schemas(pasta) {}

  // The event's schema in the 2.1.2 folder: "R-2010-evtTomadorServicos-v2_01_02_B.xsd", the
  // latest package when there are several; "" when none.
  std::string SchemaDoEvento(std::string_view nome) const;
  EventoDoLote ConferirEvento(xmlNode* evento, const SignatureVerifier& verificador,
                              std::set<std::string>& vistos);
  std::string Processado(LoteRecebido& lote);

  ReinfConfig config;
  std::filesystem::path pasta;
  std::mutex mutex;  // the schemas and the lots
  SchemaSet schemas;
  std::map<std::string, LoteRecebido> lotes;
  long long sequencia = 0;
  long long recibos = 0;
};

std::string ReinfRestService::Impl::SchemaDoEvento(std::string_view nome) const {
  return rest::SchemaDoEventoAssincrono(pasta, nome, kVersaoRest);
}

EventoDoLote ReinfRestService::Impl::ConferirEvento(xmlNode* evento,
                                                    const SignatureVerifier& verificador,
                                                    std::set<std::string>& vistos) {
  EventoDoLote conferido;
  conferido.id = Attribute(evento, "Id").value_or("");
  auto erro = [&](std::string codigo, std::string descricao, std::string local) {
    conferido.ocorrencias.push_back({std::move(codigo), std::move(descricao), 1, std::move(local)});
  };
  if (!vistos.insert(conferido.id).second) {
    erro("MS0030", "O identificador " + conferido.id + " se repete no lote.",
         "/Reinf/envioLoteEventos/eventos/evento/@Id");
  }
  xmlNode* raiz = FirstElement(evento);
  if (!raiz || LocalName(raiz) != "Reinf") {
    erro("MS0031", "O elemento evento não contém um evento da EFD-Reinf.",
         "/Reinf/envioLoteEventos/eventos/evento");
    return conferido;
  }
  XmlDoc doc = CopyAsDocument(raiz);
  xmlNode* root = xmlDocGetRootElement(doc.get());
  xmlNode* evt = FirstElement(root);
  const std::string ns(NamespaceUri(root));
  const std::string base(kSchemaBase);
  const std::string resto = ns.starts_with(base) ? ns.substr(base.size()) : std::string();
  const std::string nome = resto.substr(0, resto.find('/'));
  const std::string versao =
      resto.find('/') == std::string::npos ? std::string() : resto.substr(resto.find('/') + 1);
  conferido.hash = Sha256Base64(Canonico(doc.get()));
  conferido.tpEv = CodigoDoSchema(nome);
  if (!evt || conferido.tpEv.empty()) {
    erro("MS0032", "O evento (namespace '" + ns + "') não é um evento que a EFD-Reinf recebe.",
         "/Reinf");
    conferido.tpEv.clear();
    return conferido;
  }
  const std::string local = "/Reinf/" + std::string(LocalName(evt));
  conferido.perApur = PathText(evt, {"ideEvento", "perApur"});
  if (versao != kVersaoRest) {
    erro("MS0033",
         "Versão do leiaute do evento não aceita: " + versao +
             ". Versão aceita: " + std::string(kVersaoRest) + ".",
         "/Reinf");
  }
  const std::string id = Attribute(evt, "id").value_or("");
  RegistrarId(doc.get(), evt);
  const SignatureCheck assinatura = verificador.Verify(doc.get());
  xmlNode* signature = ChildElement(root, "Signature");
  const std::vector<xmlNode*> referencias =
      ChildElements(ChildElement(signature, "SignedInfo"), "Reference");
  const std::string uri =
      referencias.size() == 1 ? Attribute(referencias.front(), "URI").value_or("") : "";
  if (!assinatura.valid) {
    erro("MS0034", assinatura.detail, "/Reinf/Signature");
  } else if (id.empty() || uri != "#" + id) {
    erro("MS0034",
         "A referência da assinatura (\"" + uri + "\") não é o identificador do evento (\"#" + id +
             "\").",
         "/Reinf/Signature");
  }
  if (const std::string schema = SchemaDoEvento(nome); !schema.empty() && versao == kVersaoRest) {
    int quantas = 0;
    for (const std::string& mensagem : schemas.Validate(doc.get(), schema)) {
      if (++quantas > kMaxOcorrenciasSchema) break;
      erro("MS0035", "Falha na validação do evento pelo schema " + schema + ": " + mensagem, local);
    }
  }
  if (id != conferido.id) {
    erro("MS0036",
         "O identificador do evento no lote (" + conferido.id +
             ") difere do identificador do evento (" + id + ").",
         local + "/@id");
  }
  return conferido;
}

std::string ReinfRestService::Impl::Processado(LoteRecebido& lote) {
  if (!lote.processado.empty()) return lote.processado;
  const Momento processamento = Agora();
  bool todos = true;
  std::string eventos;
  for (const EventoDoLote& evento : lote.eventos) {
    std::string recibo;
    if (evento.ocorrencias.empty()) {
      const long long numero = ++recibos;
      recibo = std::to_string(numero) + "-" + (evento.tpEv.empty() ? "0000" : evento.tpEv) + "-" +
               processamento.anoMes + "-" + std::to_string(100000 + numero);
    }
    todos = todos && evento.ocorrencias.empty();
    XmlText x;
    x.Open("evento", {{"Id", evento.id}}).Open("retornoEvento");
    x.Raw(RetornoEvento(lote, evento, recibo, processamento));
    eventos += x.Take();
  }
  XmlText x;
  x.Raw(DadosRecepcao(lote));
  x.Open("dadosProcessamentoLote")
      .Leaf("versaoAplicativoProcessamentoLote", kVersaoAplicativo)
      .Close();
  x.Open("retornoEventos").Raw(eventos).Close();
  lote.processado =
      Resposta(rest::kHttpConsultaRespondida, lote.tpInsc, lote.nrInsc,
               todos ? rest::kRespostaProcessado : rest::kRespostaProcessadoComRejeicoes, {},
               x.Take())
          .body;
  return lote.processado;
}

std::optional<HttpReply> FalhaSimuladaRest(std::string_view kind) {
  if (kind == "lote-rejeitado") {
    return Resposta(rest::kHttpLoteRejeitado, "1", "00000000", rest::kRespostaLoteRejeitado,
                    {{"MS0014", "Falha simulada: lote rejeitado pelo serviço.", 1, "/Reinf"}}, {});
  }
  if (kind == "soap-fault") {
    return Resposta(rest::kHttpErroServidor, "1", "00000000", rest::kRespostaErroServidor,
                    {{"MS9999", "Falha simulada no serviço.", 1, {}}}, {});
  }
  return std::nullopt;
}

ReinfRestService::ReinfRestService(ReinfConfig config)
    : m_impl(std::make_unique<Impl>(std::move(config))) {}

ReinfRestService::~ReinfRestService() = default;

HttpReply ReinfRestService::ReceberLote(const HttpRequest& request) {
  std::lock_guard lock(m_impl->mutex);
  Impl& s = *m_impl;
  std::string tpInsc = "1";
  std::string nrInsc = "00000000";
  auto recusa = [&](int status, const rest::TRespostaLoteRest& resposta,
                    std::vector<OcorrenciaRest> ocorrencias) {
    return Resposta(status, tpInsc, nrInsc, resposta, ocorrencias, {});
  };
  try {
    ParsedXml parsed = ParseXml(request.body);
    xmlNode* lote = parsed.doc ? xmlDocGetRootElement(parsed.doc.get()) : nullptr;
    if (!lote || LocalName(lote) != "Reinf" || NamespaceUri(lote) != kEnvioNs) {
      return recusa(
          rest::kHttpRequisicaoInvalida, rest::kRespostaLoteRejeitado,
          {{"MS0010", "O corpo da requisição não é um lote de eventos assíncrono da EFD-Reinf.", 1,
            "/Reinf"}});
    }
    xmlNode* envio = ChildElement(lote, "envioLoteEventos");
    const std::string tp = PathText(envio, {"ideContribuinte", "tpInsc"});
    const std::string nr = PathText(envio, {"ideContribuinte", "nrInsc"});
    if ((tp == "1" || tp == "2") && SoDigitos(nr) &&
        (nr.size() == 8 || nr.size() == 11 || nr.size() == 14)) {
      tpInsc = tp;
      nrInsc = nr;
    }
    const std::vector<xmlNode*> eventos = ChildElements(ChildElement(envio, "eventos"), "evento");
    if (eventos.size() > static_cast<std::size_t>(rest::kRestMaxEventosLote)) {
      return recusa(rest::kHttpLoteRejeitado, rest::kRespostaLoteRejeitado,
                    {{"MS0011",
                      "O lote tem " + std::to_string(eventos.size()) + " eventos; o máximo é " +
                          std::to_string(rest::kRestMaxEventosLote) + ".",
                      1, "/Reinf/envioLoteEventos/eventos"}});
    }
    std::set<std::string> ids;
    for (xmlNode* evento : eventos) {
      const std::string id = Attribute(evento, "Id").value_or("");
      if (!ids.insert(id).second) {
        return recusa(rest::kHttpLoteRejeitado, rest::kRespostaLoteRejeitado,
                      {{"MS0012", "O identificador de evento " + id + " se repete no lote.", 1,
                        "/Reinf/envioLoteEventos/eventos/evento/@Id"}});
      }
    }
    std::vector<OcorrenciaRest> doSchema;
    for (const std::string& mensagem : s.schemas.Validate(parsed.doc.get(), kEnvioSchema)) {
      if (static_cast<int>(doSchema.size()) == kMaxOcorrenciasSchema) break;
      doSchema.push_back(
          {"MS0013",
           "Falha na validação do lote pelo schema " + std::string(kEnvioSchema) + ": " + mensagem,
           1, "/Reinf"});
    }
    if (!doSchema.empty())
      return recusa(rest::kHttpLoteRejeitado, rest::kRespostaLoteRejeitado, doSchema);

    const Momento recepcao = Agora();
    LoteRecebido recebido;
    recebido.tpInsc = tpInsc;
    recebido.nrInsc = nrInsc;
    recebido.dhRecepcao = recepcao.dataHora;
    recebido.protocolo = std::to_string(s.config.tpAmb) + "." + recepcao.anoMes + "." +
                         std::to_string(++s.sequencia);
    const SignatureVerifier verificador(s.config.trustedCaPem);
    std::set<std::string> vistos;
    for (xmlNode* evento : eventos)
      recebido.eventos.push_back(s.ConferirEvento(evento, verificador, vistos));
    const std::string dados = DadosRecepcao(recebido);
    const std::string protocolo = recebido.protocolo;
    s.lotes[protocolo] = std::move(recebido);
    return Resposta(rest::kHttpLoteRecebido, tpInsc, nrInsc, rest::kRespostaEmProcessamento, {},
                    dados);
  } catch (const std::exception& e) {
    return recusa(rest::kHttpErroServidor, rest::kRespostaErroServidor,
                  {{"MS9999", e.what(), 1, {}}});
  }
}

HttpReply ReinfRestService::ConsultarLote(std::string_view protocolo) {
  std::lock_guard lock(m_impl->mutex);
  Impl& s = *m_impl;
  try {
    const auto encontrado = s.lotes.find(std::string(protocolo));
    if (encontrado == s.lotes.end()) {
      return Resposta(
          rest::kHttpProtocoloInexistente, "1", "00000000", rest::kRespostaProtocoloInexistente,
          {{"MS0020", "Protocolo " + std::string(protocolo) + " não encontrado.", 1, {}}}, {});
    }
    LoteRecebido& lote = encontrado->second;
    if (lote.consultas++ < std::max(1, s.config.consultasPendentes)) {
      return Resposta(rest::kHttpConsultaRespondida, lote.tpInsc, lote.nrInsc,
                      rest::kRespostaEmProcessamento, {}, DadosRecepcao(lote));
    }
    return HttpReply{rest::kHttpConsultaRespondida, std::string(kContentType), s.Processado(lote)};
  } catch (const std::exception& e) {
    return Resposta(rest::kHttpErroServidor, "1", "00000000", rest::kRespostaErroServidor,
                    {{"MS9999", e.what(), 1, {}}}, {});
  }
}

}  // namespace luvaro::sim::reinf
