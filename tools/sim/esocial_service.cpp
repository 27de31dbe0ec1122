#include "tools/sim/esocial_service.h"

#include <array>
#include <mutex>

#include "tools/sim/esocial_codes.h"
#include "tools/sim/esocial_download_int.h"
#include "tools/sim/esocial_lote_int.h"
#include "tools/sim/esocial_retorno_int.h"
#include "tools/sim/esocial_signature.h"
#include "tools/sim/esocial_soap_int.h"
#include "tools/sim/esocial_store.h"
#include "tools/sim/esocial_totalizador_int.h"
#include "tools/sim/service_util.h"

namespace luvaro::sim::esocial {
namespace {

constexpr std::string_view kVersaoRecepcao = "1.5.0";
constexpr std::string_view kVersaoProcessamento = "13.5.0";
constexpr int kTempoEstimadoConclusao = 5;  // seconds, in "awaiting processing" replies

constexpr std::string_view kConsultaNamespace =
    "http://www.esocial.gov.br/schema/lote/eventos/envio/consulta/retornoProcessamento/v1_0_0";
constexpr std::string_view kConsultaFamilia =
    "http://www.esocial.gov.br/schema/lote/eventos/envio/consulta/retornoProcessamento/";
constexpr std::string_view kConsultaSchema = "ConsultaLoteEventos-v1_0_0.xsd";

constexpr std::array kEnviarLote{
    SoapOperation{"http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/v1_1_0/"
                  "ServicoEnviarLoteEventos/EnviarLoteEventos",
                  "EnviarLoteEventos", "loteEventos",
                  "http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/v1_1_0"}};

constexpr std::array kConsultarLote{
    SoapOperation{"http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/consulta/"
                  "retornoProcessamento/v1_1_0/ServicoConsultarLoteEventos/ConsultarLoteEventos",
                  "ConsultarLoteEventos", "loteEventos",
                  "http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/consulta/"
                  "retornoProcessamento/v1_1_0"}};

constexpr std::array kPaths{kPathEnviarLote, kPathConsultarLote, kPathConsultarIdentificadores,
                            kPathDownload};

// The period of contribution bases: employer (CNPJ root for tpInsc 1), indApuracao, perApur.
std::string ChavePeriodo(const Inscricao& empregador, xmlNode* evt) {
  const std::string nr =
      empregador.tpInsc == "1" ? empregador.nrInsc.substr(0, 8) : empregador.nrInsc;
  return empregador.tpInsc + "|" + nr + "|" + PathText(evt, {"ideEvento", "indApuracao"}) + "|" +
         PathText(evt, {"ideEvento", "perApur"});
}

}  // namespace

std::span<const std::string_view> ServicePaths() {
  return kPaths;
}

struct EsocialService::Impl {
  explicit Impl(EsocialConfig c)
      : config(std::move(c)),
        schemas(config.schemas),
        signer(config.signingKeyPem && config.signingCertPem
                   ? ReplySigner(*config.signingKeyPem, *config.signingCertPem)
                   : ReplySigner::Generated()) {}

  HttpReply EnviarLote(const HttpRequest& request);
  HttpReply ConsultarLote(const HttpRequest& request);
  ResultadoEvento ProcessarEvento(const CheckedEvent& evento, const LoteRecebido& lote,
                                  const Momento& recepcao);
  std::vector<std::pair<std::string, std::string>> Totalizadores(const CheckedEvent& evento,
                                                                 xmlNode* evt,
                                                                 const std::string& nrRecibo);
  std::string Assinado(const std::string& documento) const;
  std::string NovoId(const Inscricao& empregador, const Momento& momento);

  EsocialConfig config;
  SchemaSet schemas;
  ReplySigner signer;
  EsocialStore store;
  std::mutex processing;  // lots are processed one at a time, in order of arrival
};

std::string EsocialService::Impl::Assinado(const std::string& documento) const {
  ParsedXml parsed = ParseXml(documento);
  if (!parsed.doc) throw std::runtime_error("reply document not well-formed: " + parsed.error);
  signer.Sign(parsed.doc.get());
  return SerializeNode(xmlDocGetRootElement(parsed.doc.get()));
}

std::string EsocialService::Impl::NovoId(const Inscricao& empregador, const Momento& momento) {
  std::string nr = empregador.nrInsc.substr(0, 14);
  nr.append(14 - nr.size(), '0');
  std::string seq = std::to_string(store.NovoSequencial() % 100000);
  seq.insert(0, 5 - seq.size(), '0');
  return "ID" + (empregador.tpInsc.empty() ? std::string("1") : empregador.tpInsc.substr(0, 1)) +
         nr + momento.compacto + seq;
}

std::vector<std::pair<std::string, std::string>> EsocialService::Impl::Totalizadores(
    const CheckedEvent& evento, xmlNode* evt, const std::string& nrRecibo) {
  std::vector<std::pair<std::string, std::string>> tots;
  const Momento agora = Agora();
  if (evento.tipo == "S-1200") {
    std::vector<BaseCalculo> bases;
    const OrigemTotalizador origem{NovoId(evento.empregador, agora), nrRecibo, evento.versao};
    tots.emplace_back("S5001", Assinado(MontarS5001(evt, origem, bases)));
    store.AdicionarBases(ChavePeriodo(evento.empregador, evt), bases);
  } else if (evento.tipo == "S-1299") {
    const OrigemTotalizador origem{NovoId(evento.empregador, agora), nrRecibo, evento.versao};
    tots.emplace_back(
        "S5011",
        Assinado(MontarS5011(evt, origem, store.Bases(ChavePeriodo(evento.empregador, evt)))));
  }
  return tots;
}

ResultadoEvento EsocialService::Impl::ProcessarEvento(const CheckedEvent& evento,
                                                      const LoteRecebido& lote,
                                                      const Momento& recepcao) {
  ResultadoEvento resultado;
  resultado.id = evento.loteId.empty() ? evento.id : evento.loteId;
  if (evento.ocorrencias.empty()) {
    if (auto anterior = store.Aceito(evento.id)) {
      // Sent again: the receipt of the first reception, marked as a duplicate.
      resultado = anterior->resultado;
      resultado.id = evento.loteId;
      resultado.duplicado = true;
      return resultado;
    }
  }
  const Momento processamento = Agora();
  DadosRetornoEvento dados;
  dados.id = evento.id.empty() ? resultado.id : evento.id;
  dados.empregador = evento.empregador.tpInsc.empty() ? lote.ideEmpregador : evento.empregador;
  dados.tpAmb = config.tpAmb;
  dados.dhRecepcao = recepcao.dataHora;
  dados.versaoRecepcao = std::string(kVersaoRecepcao);
  dados.protocolo = lote.protocolo;
  dados.versaoProcessamento = std::string(kVersaoProcessamento);
  dados.dhProcessamento = processamento.dataHora;
  if (!evento.ocorrencias.empty()) {
    dados.status = kEventoComErros;
    dados.ocorrencias = evento.ocorrencias;
    resultado.retornoEvento = Assinado(RetornoEvento(dados));
    return resultado;
  }
  dados.status = kEventoSucesso;
  dados.nrRecibo = store.NovoRecibo(config.tpAmb);
  dados.hash = Sha256Base64(evento.xml);
  resultado.retornoEvento = Assinado(RetornoEvento(dados));

  ParsedXml parsed = ParseXml(evento.xml);
  if (!parsed.doc) throw std::runtime_error("accepted event not well-formed: " + parsed.error);
  xmlNode* evt = FirstElement(xmlDocGetRootElement(parsed.doc.get()));
  resultado.totalizadores = Totalizadores(evento, evt, dados.nrRecibo);

  EventoAceito aceito;
  aceito.id = evento.id;
  aceito.tipo = evento.tipo;
  aceito.nrRecibo = dados.nrRecibo;
  aceito.xml = evento.xml;
  aceito.empregador = evento.empregador;
  aceito.perApur = PathText(evt, {"ideEvento", "perApur"});
  aceito.cpfTrab = DescendantText(evt, "cpfTrab");
  aceito.dhProcessamento = processamento.dataHora;
  aceito.resultado = resultado;
  store.Aceitar(std::move(aceito));
  return resultado;
}

HttpReply EsocialService::Impl::EnviarLote(const HttpRequest& request) {
  auto read = ReadSoapRequest(request, kEnviarLote);
  if (auto* refused = std::get_if<HttpReply>(&read)) return std::move(*refused);
  SoapRequest& soap = std::get<SoapRequest>(read);
  try {
    LotCheck check = CheckLot(soap.payload, schemas, config.trustedCaPem);
    if (check.cdResposta != kLoteRecebido.code) {
      const ReplyCode codigo{check.cdResposta, check.descResposta};
      return SoapResult(*soap.operation,
                        RetornoEnvioLote(StatusLote{codigo, check.ocorrencias, std::nullopt},
                                         check.ideEmpregador, check.ideTransmissor, std::nullopt),
                        config.resultadoPrefixado);
    }
    std::lock_guard lock(processing);
    const Momento recepcao = Agora();
    LoteRecebido lote;
    lote.protocolo = store.NovoProtocolo(config.tpAmb, recepcao.anoMes);
    lote.ideEmpregador = *check.ideEmpregador;
    lote.ideTransmissor = check.ideTransmissor.value_or(Inscricao{});
    lote.dhRecepcao = recepcao.dataHora;
    lote.consultasPendentes = config.consultasPendentes;
    for (const CheckedEvent& evento : check.eventos) {
      lote.eventos.push_back(ProcessarEvento(evento, lote, recepcao));
    }
    const DadosRecepcao dados{recepcao.dataHora, std::string(kVersaoRecepcao), lote.protocolo};
    store.GuardarLote(std::move(lote));
    return SoapResult(*soap.operation,
                      RetornoEnvioLote(StatusLote{kLoteRecebido, {}, std::nullopt},
                                       check.ideEmpregador, check.ideTransmissor, dados),
                      config.resultadoPrefixado);
  } catch (const std::exception& e) {
    return SoapResult(
        *soap.operation,
        RetornoEnvioLote(StatusLote{kErroServidor,
                                    {Ocorrencia{kErroServidor.code, LimitarTexto(e.what()), 1, {}}},
                                    std::nullopt},
                         std::nullopt, std::nullopt, std::nullopt),
        config.resultadoPrefixado);
  }
}

HttpReply EsocialService::Impl::ConsultarLote(const HttpRequest& request) {
  auto read = ReadSoapRequest(request, kConsultarLote);
  if (auto* refused = std::get_if<HttpReply>(&read)) return std::move(*refused);
  SoapRequest& soap = std::get<SoapRequest>(read);
  auto recusa = [&](const ReplyCode& codigo, std::vector<Ocorrencia> ocorrencias) {
    return SoapResult(
        *soap.operation,
        RetornoProcessamentoLote(StatusLote{codigo, std::move(ocorrencias), std::nullopt}, nullptr,
                                 kVersaoRecepcao, kVersaoProcessamento, false),
        config.resultadoPrefixado);
  };
  try {
    xmlNode* consulta = soap.payload;
    if (!consulta) {
      return recusa(
          kConsultaNulaVazia,
          {Ocorrencia{kConsultaNulaVazia.code, "A mensagem não contém uma consulta.", 1, {}}});
    }
    const std::string_view ns = NamespaceUri(consulta);
    if (LocalName(consulta) != "eSocial" || !ns.starts_with(kConsultaFamilia) ||
        ns.substr(kConsultaFamilia.size()).find('/') != std::string_view::npos) {
      return recusa(kConsultaSchemaInvalido,
                    {Ocorrencia{kConsultaSchemaInvalido.code,
                                LimitarTexto("O documento enviado não é uma consulta de lote "
                                             "(namespace '" +
                                             std::string(ns) + "')."),
                                1,
                                {}}});
    }
    if (ns != kConsultaNamespace) {
      return recusa(
          kConsultaVersaoSchema,
          {Ocorrencia{kConsultaVersaoSchema.code,
                      LimitarTexto("Versão da consulta não aceita: " + std::string(ns) + "."),
                      1,
                      {}}});
    }
    XmlDoc doc = CopyAsDocument(consulta);
    if (auto errors = schemas.Validate(doc.get(), kConsultaSchema); !errors.empty()) {
      return recusa(kConsultaSchemaInvalido,
                    OcorrenciasDeSchema(errors, kConsultaSchemaInvalido.code,
                                        "Falha na validação da consulta pelo schema " +
                                            std::string(kConsultaSchema)));
    }
    std::string protocolo =
        PathText(xmlDocGetRootElement(doc.get()), {"consultaLoteEventos", "protocoloEnvio"});
    while (!protocolo.empty() && std::isspace(static_cast<unsigned char>(protocolo.back()))) {
      protocolo.pop_back();
    }
    while (!protocolo.empty() && std::isspace(static_cast<unsigned char>(protocolo.front()))) {
      protocolo.erase(0, 1);
    }
    if (protocolo.empty()) {
      return recusa(kConsultaNulaVazia,
                    {Ocorrencia{kConsultaNulaVazia.code, "O protocolo de envio não foi informado.",
                                1, "/eSocial/consultaLoteEventos/protocoloEnvio"}});
    }
    bool pendente = false;
    std::optional<LoteRecebido> lote = store.Consultar(protocolo, pendente);
    if (!lote) {
      return recusa(kConsultaErroPreenchimento,
                    {Ocorrencia{kConsultaErroPreenchimento.code,
                                LimitarTexto("Não foi encontrado lote com o protocolo de envio "
                                             "informado: " +
                                             protocolo + "."),
                                1, "/eSocial/consultaLoteEventos/protocoloEnvio"}});
    }
    const StatusLote status = pendente ? StatusLote{kLoteAguardando, {}, kTempoEstimadoConclusao}
                                       : StatusLote{kLoteProcessado, {}, std::nullopt};
    return SoapResult(
        *soap.operation,
        RetornoProcessamentoLote(status, &*lote, kVersaoRecepcao, kVersaoProcessamento, !pendente),
        config.resultadoPrefixado);
  } catch (const std::exception& e) {
    return recusa(kErroServidor, {Ocorrencia{kErroServidor.code, LimitarTexto(e.what()), 1, {}}});
  }
}

EsocialService::EsocialService(EsocialConfig config)
    : m_impl(std::make_unique<Impl>(std::move(config))) {}

EsocialService::~EsocialService() = default;

HttpReply EsocialService::Handle(const HttpRequest& request) {
  try {
    if (request.path == kPathEnviarLote) return m_impl->EnviarLote(request);
    if (request.path == kPathConsultarLote) return m_impl->ConsultarLote(request);
    const ServiceContext context{m_impl->schemas, m_impl->store, m_impl->config};
    if (request.path == kPathConsultarIdentificadores) {
      return ConsultarIdentificadores(request, context);
    }
    if (request.path == kPathDownload) return SolicitarDownload(request, context);
    return HttpReply{404, "text/html; charset=utf-8",
                     "<html><body><h2>404 - File or directory not found.</h2></body></html>"};
  } catch (const std::exception& e) {
    return SoapFault(500, "s:Server", {}, std::string("Erro Servidor eSocial: ") + e.what());
  }
}

}  // namespace luvaro::sim::esocial
