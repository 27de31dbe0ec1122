#include "tools/sim/reinf_lote_int.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <stdexcept>

#include <libxml/c14n.h>

#include "tools/sim/esocial_signature.h"

namespace luvaro::sim::reinf {
namespace {

constexpr std::string_view kLoteFamilia =
    "http://www.reinf.esocial.gov.br/schemas/envioLoteEventos/";

constexpr std::array<TipoEvento, 13> kTipos{{
    {"evtInfoContri", "1000", "evtInfoContribuinte"},
    {"evtTabProcesso", "1070", "evtTabProcesso"},
    {"evtServTom", "2010", "evtTomadorServicos"},
    {"evtServPrest", "2020", "evtPrestadorServicos"},
    {"evtAssocDespRec", "2030", "evtRecursoRecebidoAssociacao"},
    {"evtAssocDespRep", "2040", "evtRecursoRepassadoAssociacao"},
    {"evtComProd", "2050", "evtInfoProdRural"},
    {"evtCPRB", "2060", "evtInfoCPRB"},
    {"evtPgtosDivs", "2070", "evtPgtosDivs"},
    {"evtReabreEvPer", "2098", "evtReabreEvPer"},
    {"evtFechaEvPer", "2099", "evtFechamento"},
    {"evtEspDesportivo", "3010", "evtEspDesportivo"},
    {"evtExclusao", "9000", "evtExclusao"},
}};

Ocorrencia ErroLote(int codigo, std::string descricao) {
  return Ocorrencia{
      kTipoOcorrenciaLoteErro, codigo, LimitarTexto(std::move(descricao), kMaxDescricaoLote), {}};
}

std::string Canonico(xmlDoc* doc) {
  xmlChar* bytes = nullptr;
  const int size = xmlC14NDocDumpMemory(doc, nullptr, XML_C14N_1_0, nullptr, 0, &bytes);
  const std::unique_ptr<xmlChar, CFree<[](xmlChar* p) { xmlFree(p); }>> owner(bytes);
  if (size < 0 || !bytes) throw std::runtime_error("xmlC14NDocDumpMemory failed");
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

LotCheck Recusado(Ocorrencia ocorrencia) {
  LotCheck check;
  check.ocorrencias.push_back(std::move(ocorrencia));
  return check;
}

// The event's signature must have one reference, to the event element by its id.
std::optional<std::string> ReferenciaForaDoEvento(xmlNode* root, const std::string& id) {
  xmlNode* signature = ChildElement(root, "Signature");
  const std::vector<xmlNode*> references =
      ChildElements(ChildElement(signature, "SignedInfo"), "Reference");
  if (references.size() != 1) return "A assinatura do evento deve ter exatamente uma referência.";
  const std::string uri = Attribute(references.front(), "URI").value_or("");
  if (!id.empty() && uri == "#" + id) return std::nullopt;
  return "A referência da assinatura (\"" + uri + "\") não é o identificador do evento (\"#" + id +
         "\").";
}

CheckedEvent CheckEvent(xmlNode* evento, SchemaSet& schemas, const SignatureVerifier& verifier) {
  CheckedEvent checked;
  checked.loteId = Attribute(evento, "id").value_or("");
  xmlNode* content = FirstElement(evento);
  if (!content) {
    checked.ocorrencias.push_back(ErroEvento(kOcorrenciaEventoNaoReconhecido,
                                             "O elemento evento não contém um evento.",
                                             "/Reinf/loteEventos/evento"));
    return checked;
  }
  checked.doc = CopyAsDocument(content);
  xmlNode* root = xmlDocGetRootElement(checked.doc.get());
  checked.xml = SerializeNode(root);
  checked.canonical = Canonico(checked.doc.get());
  const std::string_view ns = NamespaceUri(root);
  xmlNode* evt = FirstElement(root);
  if (LocalName(root) != "Reinf" || !ns.starts_with(kSchemaBase) || !evt) {
    checked.ocorrencias.push_back(
        ErroEvento(kOcorrenciaEventoNaoReconhecido,
                   "O conteúdo do elemento evento não é um evento da EFD-Reinf (elemento " +
                       std::string(LocalName(root)) + ", namespace '" + std::string(ns) + "').",
                   "/" + std::string(LocalName(root))));
    return checked;
  }
  const std::string elemento(LocalName(evt));
  const std::string_view rest = ns.substr(kSchemaBase.size());
  const std::string_view nome = rest.substr(0, rest.find('/'));
  const std::string_view versao = rest.find('/') == std::string_view::npos
                                      ? std::string_view()
                                      : rest.substr(rest.find('/') + 1);
  checked.tipo = TipoDoElemento(elemento);
  checked.id = Attribute(evt, "id").value_or("");
  checked.contribuinte = {PathText(evt, {"ideContri", "tpInsc"}),
                          PathText(evt, {"ideContri", "nrInsc"})};
  if (!checked.tipo || checked.tipo->schema != nome) {
    checked.tipo = nullptr;
    checked.ocorrencias.push_back(ErroEvento(kOcorrenciaEventoNaoReconhecido,
                                             "O evento " + elemento + " (namespace '" +
                                                 std::string(ns) +
                                                 "') não é um evento que a EFD-Reinf recebe.",
                                             "/Reinf/" + elemento));
    return checked;
  }
  if (versao != kVersao) {
    checked.ocorrencias.push_back(
        ErroEvento(kOcorrenciaEventoVersao,
                   "Versão do leiaute do evento não aceita: " + std::string(versao) +
                       ". Versão aceita: " + std::string(kVersao) + ".",
                   "/Reinf"));
  }

  // Signature first: the schema check below registers identifiers of its own in the document.
  RegistrarId(checked.doc.get(), evt);
  const SignatureCheck signature = verifier.Verify(checked.doc.get());
  if (!signature.valid) {
    checked.ocorrencias.push_back(
        ErroEvento(kOcorrenciaAssinatura, signature.detail, "/Reinf/Signature"));
  } else if (auto fora = ReferenciaForaDoEvento(root, checked.id)) {
    checked.ocorrencias.push_back(ErroEvento(kOcorrenciaAssinatura, *fora, "/Reinf/Signature"));
  }

  const std::string schemaFile = std::string(nome) + "-" + std::string(versao) + ".xsd";
  if (versao == kVersao && schemas.Exists(schemaFile)) {
    int count = 0;
    for (const std::string& message : schemas.Validate(checked.doc.get(), schemaFile)) {
      if (++count > kMaxOcorrenciasSchema) break;
      checked.ocorrencias.push_back(
          ErroEvento(kOcorrenciaSchemaEvento,
                     "Falha na validação do evento pelo schema " + schemaFile + ": " + message,
                     "/Reinf/" + elemento));
    }
  }

  if (checked.loteId != checked.id) {
    checked.ocorrencias.push_back(
        ErroEvento(kOcorrenciaIdDivergente,
                   "O identificador do evento no lote (" + checked.loteId +
                       ") difere do identificador do evento (" + checked.id + ").",
                   "/Reinf/" + elemento + "/@id"));
  }
  return checked;
}

}  // namespace

void RegistrarId(xmlDoc* doc, xmlNode* evento) {
  xmlAttr* attr = xmlHasProp(evento, reinterpret_cast<const xmlChar*>("id"));
  const std::optional<std::string> value = Attribute(evento, "id");
  if (!attr || !value || value->empty()) return;
  const auto* id = reinterpret_cast<const xmlChar*>(value->c_str());
  if (xmlGetID(doc, id) == nullptr) xmlAddID(nullptr, doc, id, attr);
}

Ocorrencia ErroEvento(int codigo, std::string descricao, std::string localizacao) {
  return Ocorrencia{kTipoOcorrenciaEventoErro, codigo,
                    LimitarTexto(std::move(descricao), kMaxDescricaoEvento),
                    LimitarTexto(std::move(localizacao), kMaxLocalizacaoEvento)};
}

bool SoDigitos(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c));
  });
}

const TipoEvento* TipoDoElemento(std::string_view elemento) {
  for (const TipoEvento& tipo : kTipos) {
    if (tipo.elemento == elemento) return &tipo;
  }
  return nullptr;
}

const TipoEvento* TipoDoCodigo(std::string_view tpEv) {
  for (const TipoEvento& tipo : kTipos) {
    if (tipo.tpEv == tpEv) return &tipo;
  }
  return nullptr;
}

xmlNode* CheckedEvent::Evento() const {
  return doc ? FirstElement(xmlDocGetRootElement(doc.get())) : nullptr;
}

std::string LimitarTexto(std::string text, std::size_t max) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++chars > max) {
      text.resize(i);
      break;
    }
  }
  return text;
}

LotCheck CheckLot(xmlNode* lot, SchemaSet& schemas,
                  const std::optional<std::string>& trustedCaPem) {
  if (!lot) return Recusado(ErroLote(kOcorrenciaLoteVazio, "A mensagem não contém um lote."));
  const std::string_view ns = NamespaceUri(lot);
  if (LocalName(lot) != "Reinf" || !ns.starts_with(kLoteFamilia) ||
      ns.substr(kLoteFamilia.size()).find('/') != std::string_view::npos) {
    return Recusado(
        ErroLote(kOcorrenciaLoteSchema,
                 "O documento enviado não é um lote de eventos da EFD-Reinf (elemento " +
                     std::string(LocalName(lot)) + ", namespace '" + std::string(ns) + "')."));
  }
  if (ns != kLoteNamespace) {
    return Recusado(
        ErroLote(kOcorrenciaLoteVersao,
                 "Versão do lote não aceita: " + std::string(ns.substr(kLoteFamilia.size())) +
                     ". Versão aceita: " + std::string(kVersao) + "."));
  }
  const std::vector<xmlNode*> eventos = ChildElements(ChildElement(lot, "loteEventos"), "evento");
  if (eventos.empty()) {
    return Recusado(ErroLote(kOcorrenciaLoteVazio, "O lote não contém eventos."));
  }
  XmlDoc lotDoc = CopyAsDocument(lot);
  if (auto errors = schemas.Validate(lotDoc.get(), kLoteSchema); !errors.empty()) {
    LotCheck check;
    for (const std::string& message : errors) {
      if (static_cast<int>(check.ocorrencias.size()) == kMaxOcorrenciasSchema) break;
      check.ocorrencias.push_back(ErroLote(
          kOcorrenciaLoteSchema,
          "Falha na validação do lote pelo schema " + std::string(kLoteSchema) + ": " + message));
    }
    return check;
  }
  LotCheck check;
  check.recebido = true;
  const SignatureVerifier verifier(trustedCaPem);  // one trusted store for the whole lot
  for (xmlNode* evento : eventos) {
    check.eventos.push_back(CheckEvent(evento, schemas, verifier));
  }
  return check;
}

}  // namespace luvaro::sim::reinf
