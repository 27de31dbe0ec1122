#include "tools/sim/esocial_lote_int.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "tools/sim/esocial_codes.h"
#include "tools/sim/esocial_signature.h"

namespace luvaro::sim::esocial {
namespace {

constexpr std::string_view kEventoNamespacePrefix = "http://www.esocial.gov.br/schema/evt/";
constexpr std::string_view kLoteFamilia = "http://www.esocial.gov.br/schema/lote/eventos/envio/";

constexpr std::array<std::pair<std::string_view, std::string_view>, 65> kTipos{{
    {"evtInfoEmpregador", "S-1000"},
    {"evtTabEstab", "S-1005"},
    {"evtTabRubrica", "S-1010"},
    {"evtTabLotacao", "S-1020"},
    {"evtTabCargo", "S-1030"},
    {"evtTabCarreira", "S-1035"},
    {"evtTabFuncao", "S-1040"},
    {"evtTabHorTur", "S-1050"},
    {"evtTabAmbiente", "S-1060"},
    {"evtTabProcesso", "S-1070"},
    {"evtTabOperPort", "S-1080"},
    {"evtRemun", "S-1200"},
    {"evtRmnRPPS", "S-1202"},
    {"evtBenPrRP", "S-1207"},
    {"evtPgtos", "S-1210"},
    {"evtAqProd", "S-1250"},
    {"evtComProd", "S-1260"},
    {"evtContratAvNP", "S-1270"},
    {"evtInfoComplPer", "S-1280"},
    {"evtTotConting", "S-1295"},
    {"evtReabreEvPer", "S-1298"},
    {"evtFechaEvPer", "S-1299"},
    {"evtContrSindPatr", "S-1300"},
    {"evtAdmPrelim", "S-2190"},
    {"evtAdmissao", "S-2200"},
    {"evtAltCadastral", "S-2205"},
    {"evtAltContratual", "S-2206"},
    {"evtCAT", "S-2210"},
    {"evtMonit", "S-2220"},
    {"evtToxic", "S-2221"},
    {"evtAfastTemp", "S-2230"},
    {"evtExpRisco", "S-2240"},
    {"evtInsApo", "S-2241"},
    {"evtTreiCap", "S-2245"},
    {"evtAvPrevio", "S-2250"},
    {"evtConvInterm", "S-2260"},
    {"evtReintegr", "S-2298"},
    {"evtDeslig", "S-2299"},
    {"evtTSVInicio", "S-2300"},
    {"evtTSVAltContr", "S-2306"},
    {"evtTSVTermino", "S-2399"},
    {"evtCdBenPrRP", "S-2400"},
    {"evtExclusao", "S-3000"},
    {"evtBasesTrab", "S-5001"},
    {"evtIrrfBenef", "S-5002"},
    {"evtBasesFGTS", "S-5003"},
    {"evtCS", "S-5011"},
    {"evtIrrf", "S-5012"},
    {"evtFGTS", "S-5013"},
    {"evtReabreEvper", "S-1298"},
    // The events that only the simplified layouts (S-1.x) have.
    {"evtCessao", "S-2231"},
    {"evtCdBenefIn", "S-2400"},
    {"evtCdBenefAlt", "S-2405"},
    {"evtCdBenIn", "S-2410"},
    {"evtCdBenAlt", "S-2416"},
    {"evtReativBen", "S-2418"},
    {"evtCdBenTerm", "S-2420"},
    {"evtProcTrab", "S-2500"},
    {"evtContProc", "S-2501"},
    {"evtConsolidContProc", "S-2555"},
    {"evtExcProcTrab", "S-3500"},
    {"evtAnotJud", "S-8200"},
    {"evtBaixa", "S-8299"},
    {"evtTribProcTrab", "S-5501"},
    {"evtFGTSProcTrab", "S-5503"},
}};

// The schema folder of a simplified layout named by an event namespace's version
// ("v_S_01_03_00" gives "S_01_03_00"; empty for a version that is not digits and
// underscores, so it never leads outside the schemas folder); nothing for the 2.x versions
// ("v02_05_00").
std::optional<std::string> PastaDoLeiauteSimplificado(std::string_view versao) {
  constexpr std::string_view kPrefixo = "v_S_";
  if (!versao.starts_with(kPrefixo)) return std::nullopt;
  const std::string_view numeros = versao.substr(kPrefixo.size());
  if (numeros.empty() || numeros.find_first_not_of("0123456789_") != std::string_view::npos)
    return std::string();
  return std::string(versao.substr(2));
}

// An element name that can stand as a file name: letters only.
bool NomeSimples(std::string_view nome) {
  return !nome.empty() && std::all_of(nome.begin(), nome.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

Ocorrencia Erro(int codigo, std::string descricao, std::string localizacao = {}) {
  return Ocorrencia{codigo, LimitarTexto(std::move(descricao)), kOcorrenciaTipoErro,
                    LimitarTexto(std::move(localizacao))};
}

Inscricao LerInscricao(xmlNode* group) {
  return Inscricao{ChildText(group, "tpInsc"), ChildText(group, "nrInsc")};
}

// The employer registration compared as the service does: the CNPJ root for tpInsc 1, the whole
// number otherwise.
bool MesmoEmpregador(const Inscricao& lote, const Inscricao& evento) {
  if (lote.tpInsc != evento.tpInsc) return false;
  if (lote.tpInsc == "1") return lote.nrInsc.substr(0, 8) == evento.nrInsc.substr(0, 8);
  return lote.nrInsc == evento.nrInsc;
}

// The reference of the event's signature must cover the event: the whole document ("") or the
// event element ("#" + its Id).
std::optional<std::string> ReferenciaForaDoEvento(xmlNode* root, const std::string& id) {
  xmlNode* signature = ChildElement(root, "Signature");
  std::vector<xmlNode*> references =
      ChildElements(ChildElement(signature, "SignedInfo"), "Reference");
  if (references.size() != 1) {
    return "A assinatura do evento deve ter exatamente uma referência.";
  }
  const std::string uri = Attribute(references.front(), "URI").value_or("#");
  if (uri.empty() || uri == "#" + id) return std::nullopt;
  return "A referência da assinatura (" + uri + ") não abrange o evento " + id + ".";
}

CheckedEvent CheckEvent(xmlNode* evento, const Inscricao& empregadorDoLote, SchemaSet& schemas,
                        const SignatureVerifier& verifier) {
  CheckedEvent checked;
  checked.loteId = Attribute(evento, "Id").value_or("");
  xmlNode* content = FirstElement(evento);
  if (!content) {
    checked.ocorrencias.push_back(
        Erro(kOcorrenciaEventoNaoReconhecido, "O elemento evento não contém um evento."));
    return checked;
  }
  XmlDoc doc = CopyAsDocument(content);
  xmlNode* root = xmlDocGetRootElement(doc.get());
  checked.xml = SerializeNode(root);
  const std::string_view ns = NamespaceUri(root);
  xmlNode* evt = FirstElement(root);
  if (LocalName(root) != "eSocial" || !ns.starts_with(kEventoNamespacePrefix) || !evt) {
    checked.ocorrencias.push_back(Erro(kOcorrenciaEventoNaoReconhecido,
                                       "O conteúdo do elemento evento não é um evento do eSocial.",
                                       "/eSocial"));
    return checked;
  }
  checked.element = std::string(LocalName(evt));
  checked.id = Attribute(evt, "Id").value_or("");
  checked.tipo = std::string(TipoDoElemento(checked.element));
  checked.empregador = LerInscricao(ChildElement(evt, "ideEmpregador"));
  const std::string_view rest = ns.substr(kEventoNamespacePrefix.size());
  if (const auto slash = rest.find('/'); slash != std::string_view::npos) {
    checked.versao = std::string(rest.substr(slash + 1));
  }

  // Signature first: the schema check below registers identifiers in the document.
  const SignatureCheck signature = verifier.Verify(doc.get());
  if (!signature.valid) {
    checked.ocorrencias.push_back(
        Erro(kOcorrenciaAssinatura, signature.detail, "/eSocial/Signature"));
  } else if (auto fora = ReferenciaForaDoEvento(root, checked.id)) {
    checked.ocorrencias.push_back(Erro(kOcorrenciaAssinatura, *fora, "/eSocial/Signature"));
  }

  // The schema that judges the event (none: not judged). A simplified layout (S-1.x) keeps its
  // schemas in a folder of its own, under the names of their elements, and a layout or event the
  // service has no schema for is refused, as the government does; a 2.x event is judged when
  // its file exists.
  const std::string nome(rest.substr(0, rest.find('/')));
  std::string schemaFile;
  if (const std::optional<std::string> pasta = PastaDoLeiauteSimplificado(checked.versao)) {
    if (!pasta->empty() && NomeSimples(nome)) schemaFile = *pasta + "/" + nome + ".xsd";
    if (schemaFile.empty() || !schemas.Exists(schemaFile)) {
      schemaFile.clear();
      checked.ocorrencias.push_back(Erro(
          kOcorrenciaSchemaEvento,
          "Não há schema do evento " + nome + " no leiaute " + checked.versao + ".", "/eSocial"));
    }
  } else if (!checked.versao.empty()) {
    schemaFile = nome + "-" + checked.versao + ".xsd";
    if (!schemas.Exists(schemaFile)) schemaFile.clear();
  }
  if (!schemaFile.empty()) {
    auto schemaErrors =
        OcorrenciasDeSchema(schemas.Validate(doc.get(), schemaFile), kOcorrenciaSchemaEvento,
                            "Falha na validação do evento pelo schema " + schemaFile);
    checked.ocorrencias.insert(checked.ocorrencias.end(), schemaErrors.begin(), schemaErrors.end());
  }

  if (checked.loteId != checked.id) {
    checked.ocorrencias.push_back(Erro(
        kOcorrenciaIdDivergente, "O identificador do evento no lote (" + checked.loteId +
                                     ") difere do identificador do evento (" + checked.id + ")."));
  }
  if (!MesmoEmpregador(empregadorDoLote, checked.empregador)) {
    checked.ocorrencias.push_back(
        Erro(kOcorrenciaEmpregadorDivergente,
             "O empregador do evento (" + checked.empregador.tpInsc + "-" +
                 checked.empregador.nrInsc + ") difere do empregador do lote (" +
                 empregadorDoLote.tpInsc + "-" + empregadorDoLote.nrInsc + ").",
             "/eSocial/" + checked.element + "/ideEmpregador"));
  }
  return checked;
}

void Recusar(LotCheck& check, const ReplyCode& code, std::vector<Ocorrencia> ocorrencias) {
  check.cdResposta = code.code;
  check.descResposta = std::string(code.text);
  check.ocorrencias = std::move(ocorrencias);
}

}  // namespace

std::string_view TipoDoElemento(std::string_view element) {
  for (const auto& [name, tipo] : kTipos) {
    if (name == element) return tipo;
  }
  return {};
}

std::string_view ElementoDoTipo(std::string_view tipo) {
  std::string code(tipo);
  if (code.size() == 5 && code[0] == 'S') code.insert(1, "-");
  for (const auto& [name, t] : kTipos) {
    if (t == code) return name;
  }
  return {};
}

std::string LimitarTexto(std::string text) {
  constexpr std::size_t kMax = 2048;
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++chars > kMax) {
      text.resize(i);
      break;
    }
  }
  return text;
}

std::vector<Ocorrencia> OcorrenciasDeSchema(const std::vector<std::string>& messages, int codigo,
                                            std::string_view prefixo) {
  std::vector<Ocorrencia> ocorrencias;
  for (const std::string& message : messages) {
    if (static_cast<int>(ocorrencias.size()) == kMaxOcorrenciasSchema) break;
    ocorrencias.push_back(Erro(codigo, std::string(prefixo) + ": " + message));
  }
  return ocorrencias;
}

LotCheck CheckLot(xmlNode* lot, SchemaSet& schemas,
                  const std::optional<std::string>& trustedCaPem) {
  LotCheck check;
  if (!lot) {
    Recusar(check, kLoteNuloVazio, {Erro(kLoteNuloVazio.code, "A mensagem não contém um lote.")});
    return check;
  }
  const std::string_view ns = NamespaceUri(lot);
  if (LocalName(lot) != "eSocial" || !ns.starts_with(kLoteFamilia)) {
    Recusar(check, kLoteSchemaInvalido,
            {Erro(kLoteSchemaInvalido.code,
                  "O documento enviado não é um lote de eventos do "
                  "eSocial (elemento " +
                      std::string(LocalName(lot)) + ", namespace '" + std::string(ns) + "').")});
    return check;
  }
  const std::string_view versao = ns.substr(kLoteFamilia.size());
  if (ns != kLoteNamespace && versao.find('/') != std::string_view::npos) {
    Recusar(check, kLoteSchemaInvalido,
            {Erro(kLoteSchemaInvalido.code,
                  "O documento enviado não é um lote de eventos do "
                  "eSocial (namespace '" +
                      std::string(ns) + "').")});
    return check;
  }
  if (ns != kLoteNamespace) {
    Recusar(check, kLoteVersaoSchema,
            {Erro(kLoteVersaoSchema.code, "Versão do lote não aceita: " + std::string(ns) +
                                              ". Versão aceita: " + std::string(kLoteNamespace) +
                                              ".")});
    return check;
  }
  xmlNode* envio = ChildElement(lot, "envioLoteEventos");
  if (xmlNode* ide = ChildElement(envio, "ideEmpregador")) check.ideEmpregador = LerInscricao(ide);
  if (xmlNode* ide = ChildElement(envio, "ideTransmissor"))
    check.ideTransmissor = LerInscricao(ide);
  const std::vector<xmlNode*> eventos = ChildElements(ChildElement(envio, "eventos"), "evento");
  if (eventos.empty()) {
    Recusar(check, kLoteNuloVazio, {Erro(kLoteNuloVazio.code, "O lote não contém eventos.")});
    return check;
  }
  XmlDoc lotDoc = CopyAsDocument(lot);
  if (auto errors = schemas.Validate(lotDoc.get(), kLoteSchema); !errors.empty()) {
    Recusar(
        check, kLoteSchemaInvalido,
        OcorrenciasDeSchema(errors, kLoteSchemaInvalido.code,
                            "Falha na validação do lote pelo schema " + std::string(kLoteSchema)));
    return check;
  }
  if (static_cast<int>(eventos.size()) > kMaxEventosPorLote) {
    Recusar(check, kLoteErroPreenchimento,
            {Erro(kLoteErroPreenchimento.code,
                  "O lote contém " + std::to_string(eventos.size()) +
                      " eventos; o máximo permitido por lote é " +
                      std::to_string(kMaxEventosPorLote) + ".",
                  "/eSocial/envioLoteEventos/eventos")});
    return check;
  }
  check.cdResposta = kLoteRecebido.code;
  check.descResposta = std::string(kLoteRecebido.text);
  const SignatureVerifier verifier(trustedCaPem);  // one trusted store for the whole lot
  for (xmlNode* evento : eventos) {
    check.eventos.push_back(CheckEvent(evento, *check.ideEmpregador, schemas, verifier));
  }
  return check;
}

}  // namespace luvaro::sim::esocial
