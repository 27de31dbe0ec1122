#include "tools/sim/reinf_service.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <mutex>

#include "tools/sim/esocial_xml_int.h"
#include "tools/sim/reinf_codes.h"
#include "tools/sim/reinf_lote_int.h"
#include "tools/sim/reinf_retorno_int.h"
#include "tools/sim/reinf_service_int.h"
#include "tools/sim/reinf_store.h"
#include "tools/sim/reinf_totalizador_int.h"

namespace luvaro::sim::reinf {
namespace {

using esocial::ReadSoapRequest;
using esocial::SoapFault;
using esocial::SoapRequest;
using esocial::SoapResult;

constexpr std::array kRecepcao{
    SoapOperation{"http://sped.fazenda.gov.br/RecepcaoLoteReinf/ReceberLoteEventos",
                  "ReceberLoteEventos", "loteEventos", kServicoNamespace}};

// The consolidated query first; then the receipt query of each event type, one action each.
constexpr std::array kConsultas{
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaInformacoesConsolidadas",
                  "ConsultaInformacoesConsolidadas", "numeroProtocoloFechamento",
                  kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento1000",
                  "ConsultaReciboEvento1000", "tipoEvento", kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento1070",
                  "ConsultaReciboEvento1070", "tipoEvento", kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento2010",
                  "ConsultaReciboEvento2010", "tipoEvento", kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento2020",
                  "ConsultaReciboEvento2020", "tipoEvento", kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento2030",
                  "ConsultaReciboEvento2030", "tipoEvento", kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento2040",
                  "ConsultaReciboEvento2040", "tipoEvento", kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento2050",
                  "ConsultaReciboEvento2050", "tipoEvento", kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento2060",
                  "ConsultaReciboEvento2060", "tipoEvento", kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento2070",
                  "ConsultaReciboEvento2070", "tipoEvento", kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento2098",
                  "ConsultaReciboEvento2098", "tipoEvento", kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento2099",
                  "ConsultaReciboEvento2099", "tipoEvento", kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento3010",
                  "ConsultaReciboEvento3010", "tipoEvento", kServicoNamespace},
    SoapOperation{"http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento9000",
                  "ConsultaReciboEvento9000", "tipoEvento", kServicoNamespace}};

// The events a closing covers: refused while their period is closed.
bool Periodico(std::string_view tpEv) {
  return tpEv.size() == 4 && tpEv >= "2010" && tpEv <= "2070";
}

// The registration written in a totalizer: the event's own when it has the shape the reply
// schemas allow, else `reserva`.
Inscricao ContribuinteDoTotalizador(const Inscricao& doEvento, const Inscricao& reserva) {
  const std::size_t n = doEvento.nrInsc.size();
  if ((doEvento.tpInsc == "1" || doEvento.tpInsc == "2") && SoDigitos(doEvento.nrInsc) &&
      (n == 8 || n == 11 || n == 14)) {
    return doEvento;
  }
  return reserva;
}

// The operation's element of the SOAP body, when it is in the services' namespace.
xmlNode* Pedido(const SoapRequest& soap) {
  xmlNode* body = ChildElement(xmlDocGetRootElement(soap.doc.get()), "Body");
  xmlNode* pedido = FirstElement(body);
  if (LocalName(pedido) != soap.operation->operation || NamespaceUri(pedido) != kServicoNamespace) {
    return nullptr;
  }
  return pedido;
}

}  // namespace

std::string ServiceContext::NovoId(const Inscricao& inscricao, const Momento& momento) const {
  std::string nr = inscricao.nrInsc.substr(0, 14);
  nr.append(14 - nr.size(), '0');
  if (!SoDigitos(nr)) nr = std::string(14, '0');
  std::string seq = std::to_string(store.NovoSequencial() % 100000);
  seq.insert(0, 5 - seq.size(), '0');
  const std::string tp = inscricao.tpInsc == "2" ? "2" : "1";
  return "ID" + tp + nr + momento.compacto + seq;
}

std::string ServiceContext::Assinado(const std::string& documento) const {
  ParsedXml parsed = ParseXml(documento);
  if (!parsed.doc) throw std::runtime_error("reply document not well-formed: " + parsed.error);
  // As the events are signed: the reference names the element below the root by its id, so
  // that an R-5001 still verifies inside the lot reply that carries it.
  xmlNode* root = xmlDocGetRootElement(parsed.doc.get());
  xmlNode* assinado = FirstElement(root);
  const std::string id = Attribute(assinado, "id").value_or("");
  if (id.empty()) throw std::runtime_error("reply document without an id to sign");
  RegistrarId(parsed.doc.get(), assinado);
  signer.Sign(parsed.doc.get(), "#" + id);
  return SerializeNode(root);
}

std::string TransmissorDoNome(std::string_view commonName) {
  const auto colon = commonName.rfind(':');
  if (colon == std::string_view::npos) return {};
  const std::string_view digits = commonName.substr(colon + 1);
  if (!SoDigitos(digits) || (digits.size() != 11 && digits.size() != 14)) return {};
  return std::string(digits);
}

struct ReinfService::Impl {
  explicit Impl(ReinfConfig c)
      : config(std::move(c)),
        schemas(config.schemas),
        signer(config.signingKeyPem && config.signingCertPem
                   ? ReplySigner(*config.signingKeyPem, *config.signingCertPem)
                   : ReplySigner::Generated()) {}

  ServiceContext Context() { return ServiceContext{config, store, signer}; }
  HttpReply ReceberLote(const HttpRequest& request, std::string_view transmissor);
  HttpReply Consultar(const HttpRequest& request);
  // The signed R-5001 of one event of a taken lot; `aceito` tells whether it was accepted.
  std::string ProcessarEvento(const CheckedEvent& evento, const Inscricao& doLote,
                              const Momento& recepcao, bool& aceito);

  ReinfConfig config;
  SchemaSet schemas;
  ReplySigner signer;
  ReinfStore store;
  std::mutex processing;  // lots are processed one at a time, in order of arrival
};

std::string ReinfService::Impl::ProcessarEvento(const CheckedEvent& evento, const Inscricao& doLote,
                                                const Momento& recepcao, bool& aceito) {
  ServiceContext context = Context();
  const Momento processamento = Agora();
  EventoAceito dadosDoEvento;
  dadosDoEvento.id = evento.id;
  dadosDoEvento.contribuinte = ContribuinteDoTotalizador(evento.contribuinte, doLote);
  if (evento.tipo && evento.Evento()) LerEvento(evento.Evento(), *evento.tipo, dadosDoEvento);

  DadosTotalizador dados;
  dados.contribuinte = dadosDoEvento.contribuinte;
  dados.id = context.NovoId(dados.contribuinte, processamento);
  dados.perApur = PeriodoDoTotalizador(dadosDoEvento, recepcao.periodo);
  dados.dhProcess = processamento.dataHora;
  dados.tpEv = evento.tipo ? std::string(evento.tipo->tpEv) : std::string("0000");
  dados.idEv = LimitarTexto(!evento.id.empty()       ? evento.id
                            : !evento.loteId.empty() ? evento.loteId
                                                     : std::string("-"),
                            36);
  dados.hash = Sha256Base64(evento.canonical);
  dados.ocorrencias = evento.ocorrencias;
  aceito = false;

  if (dados.ocorrencias.empty()) {
    // Sent again: the answer of the first reception.
    if (auto anterior = store.Aceito(evento.id)) {
      aceito = true;
      return anterior->r5001;
    }
    const std::string& perApur = dadosDoEvento.perApur;
    const std::string& tpEv = dadosDoEvento.tpEv;
    const std::string local = "/Reinf/" + std::string(evento.tipo->elemento);
    if ((Periodico(tpEv) || tpEv == "2099") && store.PeriodoFechado(dados.contribuinte, perApur)) {
      dados.ocorrencias.push_back(ErroEvento(
          kOcorrenciaPeriodoFechado,
          "O período de apuração " + perApur +
              " está fechado. Para enviar eventos deste período, reabra-o com o evento R-2098.",
          local + "/ideEvento/perApur"));
    } else if (tpEv == "2098" && !store.PeriodoFechado(dados.contribuinte, perApur)) {
      dados.ocorrencias.push_back(ErroEvento(
          kOcorrenciaPeriodoAberto,
          "O período de apuração " + perApur + " não está fechado; não há o que reabrir.",
          local + "/ideEvento/perApur"));
    } else if (tpEv == "9000") {
      xmlNode* exclusao = ChildElement(evento.Evento(), "infoExclusao");
      std::string tipoExcluido = ChildText(exclusao, "tpEvento");
      std::erase_if(tipoExcluido,
                    [](char c) { return !std::isdigit(static_cast<unsigned char>(c)); });
      const std::string recibo = ChildText(exclusao, "nrRecEvt");
      if (!store.Excluir(dados.contribuinte, tipoExcluido, recibo)) {
        dados.ocorrencias.push_back(ErroEvento(kOcorrenciaReciboInexistente,
                                               "Não foi encontrado evento R-" + tipoExcluido +
                                                   " ativo com o recibo " + recibo +
                                                   " para o contribuinte.",
                                               local + "/infoExclusao/nrRecEvt"));
      }
    }
  }
  if (!dados.ocorrencias.empty()) {
    dados.status = kRetornoErro;
    return context.Assinado(MontarR5001(dados, std::nullopt));
  }

  aceito = true;
  dados.status = kRetornoSucesso;
  dados.nrProtEntr = store.NovoProtocolo(config.tpAmb, recepcao.anoMes);
  dadosDoEvento.nrRecibo = store.NovoRecibo(recepcao.anoMes, dadosDoEvento.tpEv);
  dadosDoEvento.dhRecepcao = recepcao.dataHora;
  std::optional<InfoTotal> info;
  if (auto estabelecimento = EstabelecimentoDoTotal(dadosDoEvento)) {
    info = InfoTotal{dadosDoEvento.nrRecibo, *estabelecimento, dadosDoEvento.tomado,
                     dadosDoEvento.prestado};
  }
  dadosDoEvento.r5001 = context.Assinado(MontarR5001(dados, info));

  if (dadosDoEvento.tpEv == "2099") {
    const std::vector<EventoAceito> doPeriodo =
        store.DoPeriodo(dados.contribuinte, dadosDoEvento.perApur);
    const InfoTotalContrib totais = Consolidar(doPeriodo);
    Fechamento fechamento;
    fechamento.protocolo = dados.nrProtEntr;
    fechamento.contribuinte = dados.contribuinte;
    fechamento.perApur = dadosDoEvento.perApur;
    fechamento.idEv = dados.idEv;
    fechamento.hash = dados.hash;
    fechamento.dhProcess = dados.dhProcess;
    fechamento.nrRecibo = dadosDoEvento.nrRecibo;
    fechamento.comMovimento = !doPeriodo.empty();
    fechamento.tomados = totais.tomados;
    fechamento.prestados = totais.prestados;
    fechamento.consultasPendentes = config.consultasPendentes;
    store.Fechar(std::move(fechamento));
  } else if (dadosDoEvento.tpEv == "2098") {
    store.Reabrir(dados.contribuinte, dadosDoEvento.perApur);
  }
  std::string r5001 = dadosDoEvento.r5001;
  store.Aceitar(std::move(dadosDoEvento));
  return r5001;
}

HttpReply ReinfService::Impl::ReceberLote(const HttpRequest& request,
                                          std::string_view transmissor) {
  auto read = ReadSoapRequest(request, kRecepcao);
  if (auto* refused = std::get_if<HttpReply>(&read)) return std::move(*refused);
  SoapRequest& soap = std::get<SoapRequest>(read);
  ServiceContext context = Context();
  std::string idTransmissor(transmissor);
  Inscricao doLote{"1", "00000000"};
  auto responder = [&](const ReplyCode& status, const std::vector<Ocorrencia>& ocorrencias,
                       const std::vector<RetornoDoEvento>& eventos) {
    if (idTransmissor.empty()) idTransmissor = doLote.nrInsc;
    const std::string id = context.NovoId(doLote, Agora());
    return SoapResult(*soap.operation,
                      context.Assinado(RetornoLoteEventos(id, LimitarTexto(idTransmissor, 14),
                                                          status, ocorrencias, eventos)),
                      config.resultadoPrefixado);
  };
  try {
    xmlNode* pedido = Pedido(soap);
    xmlNode* parametro = ChildElement(pedido, "loteEventos");
    xmlNode* lote =
        NamespaceUri(parametro) == kServicoNamespace ? FirstElement(parametro) : nullptr;
    LotCheck check = CheckLot(lote, schemas, config.trustedCaPem);
    for (const CheckedEvent& evento : check.eventos) {
      const Inscricao valido = ContribuinteDoTotalizador(evento.contribuinte, Inscricao{});
      if (!valido.tpInsc.empty()) {
        doLote = valido;
        break;
      }
    }
    if (!check.recebido) return responder(kLoteRejeitado, check.ocorrencias, {});

    std::lock_guard lock(processing);
    const Momento recepcao = Agora();
    std::vector<RetornoDoEvento> eventos;
    bool todos = true;
    for (const CheckedEvent& evento : check.eventos) {
      bool aceito = false;
      std::string r5001 = ProcessarEvento(evento, doLote, recepcao, aceito);
      todos = todos && aceito;
      eventos.push_back(RetornoDoEvento{evento.loteId, std::move(r5001)});
    }
    return responder(todos ? kLoteSucesso : kLoteComEventosRejeitados, {}, eventos);
  } catch (const std::exception& e) {
    return responder(kLoteErroServidor,
                     {Ocorrencia{kTipoOcorrenciaLoteErro,
                                 kOcorrenciaErroServidor,
                                 LimitarTexto(e.what(), kMaxDescricaoLote),
                                 {}}},
                     {});
  }
}

HttpReply ReinfService::Impl::Consultar(const HttpRequest& request) {
  auto read = ReadSoapRequest(request, kConsultas);
  if (auto* refused = std::get_if<HttpReply>(&read)) return std::move(*refused);
  SoapRequest& soap = std::get<SoapRequest>(read);
  ServiceContext context = Context();
  xmlNode* pedido = Pedido(soap);
  if (soap.operation == &kConsultas.front()) {
    return ConsultarInformacoesConsolidadas(*soap.operation, pedido, context);
  }
  const std::string_view operacao = soap.operation->operation;
  return ConsultarReciboEvento(*soap.operation, pedido, operacao.substr(operacao.size() - 4),
                               context);
}

ReinfService::ReinfService(ReinfConfig config)
    : m_impl(std::make_unique<Impl>(std::move(config))) {}

ReinfService::~ReinfService() = default;

HttpReply ReinfService::Handle(const HttpRequest& request, std::string_view transmissor) {
  try {
    if (request.path == kPathRecepcao) return m_impl->ReceberLote(request, transmissor);
    if (request.path == kPathConsultas) return m_impl->Consultar(request);
    return HttpReply{404, "text/html; charset=utf-8",
                     "<html><body><h2>404 - File or directory not found.</h2></body></html>"};
  } catch (const std::exception& e) {
    return SoapFault(500, "s:Server", {},
                     std::string("Erro interno do serviço EFD-Reinf: ") + e.what());
  }
}

}  // namespace luvaro::sim::reinf
