#include "reinf/lote_assincrono.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ws/resposta_ws.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_exception.h"
#include "reinf/reinf_rest_codigos.h"

namespace luvaro::reinf {
namespace {

constexpr std::string_view kDeclaracaoUTF8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

bool Espaco(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The start tag of the first element named `nome` ("" when there is none).
std::string_view TagDeAbertura(std::string_view texto, std::string_view nome,
                               std::size_t* fim = nullptr) {
  const std::string marca = "<" + std::string(nome);
  for (std::size_t p = texto.find(marca); p != std::string_view::npos;
       p = texto.find(marca, p + 1)) {
    const std::size_t depois = p + marca.size();
    if (depois < texto.size() &&
        (Espaco(texto[depois]) || texto[depois] == '>' || texto[depois] == '/')) {
      const std::size_t fecha = texto.find('>', depois);
      if (fecha == std::string_view::npos) return {};
      if (fim) *fim = fecha + 1;
      return texto.substr(p, fecha + 1 - p);
    }
  }
  return {};
}

// The value of attribute `nome` in a start tag, either quote; "" when absent.
std::string Atributo(std::string_view tag, std::string_view nome) {
  for (std::size_t p = tag.find(nome); p != std::string_view::npos; p = tag.find(nome, p + 1)) {
    if (p == 0 || !Espaco(tag[p - 1])) continue;
    std::size_t q = p + nome.size();
    while (q < tag.size() && Espaco(tag[q])) ++q;
    if (q >= tag.size() || tag[q] != '=') continue;
    ++q;
    while (q < tag.size() && Espaco(tag[q])) ++q;
    if (q >= tag.size() || (tag[q] != '"' && tag[q] != '\'')) continue;
    const std::size_t fim = tag.find(tag[q], q + 1);
    if (fim == std::string_view::npos) return {};
    return std::string(tag.substr(q + 1, fim - q - 1));
  }
  return {};
}

// The name of the first element after the Reinf root's start tag: the event element.
std::string ElementoDoEvento(std::string_view documento) {
  std::size_t p = 0;
  if (TagDeAbertura(documento, "Reinf", &p).empty()) return {};
  while ((p = documento.find('<', p)) != std::string_view::npos) {
    if (documento.substr(p, 4) == "<!--") {
      p = documento.find("-->", p);
      if (p == std::string_view::npos) return {};
      continue;
    }
    if (p + 1 < documento.size() && (documento[p + 1] == '?' || documento[p + 1] == '/')) {
      ++p;
      continue;
    }
    std::size_t fim = p + 1;
    while (fim < documento.size() && !Espaco(documento[fim]) && documento[fim] != '>' &&
           documento[fim] != '/')
      ++fim;
    return std::string(documento.substr(p + 1, fim - p - 1));
  }
  return {};
}

// The text of the first `campo` inside the first `grupo`.
std::string Campo(const std::string& documento, const std::string& grupo,
                  const std::string& campo) {
  const std::string dentro = TextoEntre(documento, "<" + grupo + ">", "</" + grupo + ">");
  return trimText(TextoEntre(dentro, "<" + campo + ">", "</" + campo + ">"));
}

}  // namespace

std::string NameSpaceDoDocumento(std::string_view documento) {
  return Atributo(TagDeAbertura(documento, "Reinf"), "xmlns");
}

TViaReinf ViaDoDocumento(std::string_view documento) {
  const std::string ns = NameSpaceDoDocumento(documento);
  if (!ns.starts_with(kNameSpaceBaseSchemas)) return TViaReinf::viaDesconhecida;
  const std::string versao = ns.substr(ns.rfind('/') + 1);
  if (versao.starts_with("v2_01_")) return TViaReinf::viaAssincrona;
  if (versao.starts_with("v1_0")) return TViaReinf::viaSincrona;
  return TViaReinf::viaDesconhecida;
}

bool ProtocoloAssincrono(std::string_view protocolo) {
  // X.AAAAMM.N
  if (protocolo.size() < 10 || protocolo[0] < '1' || protocolo[0] > '4' || protocolo[1] != '.' ||
      protocolo[8] != '.')
    return false;
  const std::string_view anoMes = protocolo.substr(2, 6);
  const std::string_view sequencia = protocolo.substr(9);
  if (!isAllDigits(anoMes) || !isAllDigits(sequencia) || sequencia.size() > 19) return false;
  const int mes = (anoMes[4] - '0') * 10 + (anoMes[5] - '0');
  return mes >= 1 && mes <= 12;
}

TLoteAssincrono::TLoteAssincrono(TReinfComponente& AOwner) : FComponente(&AOwner) {}

std::string TLoteAssincrono::ArquivoSchema(const std::string& ns) const {
  const std::size_t barra = ns.rfind('/');
  if (barra == std::string::npos) return {};
  const std::string versao = ns.substr(barra + 1);
  const std::string semVersao = ns.substr(0, barra);
  const std::string nome = semVersao.substr(semVersao.rfind('/') + 1);
  const std::filesystem::path pasta =
      std::filesystem::path(FComponente->Configuracoes().Arquivos().PathSchemas()) / versao;
  const std::string arquivo = SchemaDoEventoAssincrono(pasta, nome, versao);
  return arquivo.empty() ? std::string() : (pasta / arquivo).string();
}

void TLoteAssincrono::Adicionar(const std::string& documento) {
  // Nothing else is an event of this lot: it stays out, as a document of no known type does.
  if (ViaDoDocumento(documento) != TViaReinf::viaAssincrona) return;
  const std::string elemento = ElementoDoEvento(documento);
  if (elemento.empty()) throw EReinfException("Tipo de evento não identificado no documento.");

  // Another encoding's declaration is replaced, not followed by a second one.
  std::string texto = documento;
  if (!DeclaraUTF8(texto)) texto = std::string(kDeclaracaoUTF8) + RemoverDeclaracaoXML(texto);
  const std::string assinado =
      FComponente->SSL().Assinar(texto, "Reinf", elemento, "", "", "", "id");

  TEventoAssinado evento;
  evento.XML = RemoverDeclaracaoXML(assinado);
  std::size_t depoisDaRaiz = 0;
  TagDeAbertura(evento.XML, "Reinf", &depoisDaRaiz);
  evento.Id =
      Atributo(TagDeAbertura(std::string_view(evento.XML).substr(depoisDaRaiz), elemento), "id");
  evento.tpInsc = Campo(evento.XML, "ideContri", "tpInsc");
  evento.nrInsc = Campo(evento.XML, "ideContri", "nrInsc");
  FEventos.push_back(evento);

  const std::string ns = NameSpaceDoDocumento(assinado);
  const std::string schema = ArquivoSchema(ns);
  if (schema.empty()) return;  // not installed: the service judges the event alone
  const TValidacaoSchema validacao = ValidarContraSchema(FComponente->SSL(), assinado, schema);
  if (validacao.valido) return;
  const std::string nome = std::filesystem::path(schema).stem().string();
  const std::string falha = "Falha na validação dos dados do evento: " + nome + "\r\n";
  throw EReinfValidacao(falha, falha + "\r\n" + validacao.mensagem, false);
}

void TLoteAssincrono::GerarXML() {
  if (FEventos.size() > static_cast<std::size_t>(kRestMaxEventosLote)) {
    throw EReinfException(
        "O lote tem " + std::to_string(FEventos.size()) +
        " eventos; a EFD-Reinf recebe no máximo " + std::to_string(kRestMaxEventosLote) +
        " eventos por lote. Por favor selecione menos eventos e tente novamente.");
  }
  std::string tpInsc;
  std::string nrInsc;
  if (!FEventos.empty() && !FEventos.front().nrInsc.empty()) {
    tpInsc = FEventos.front().tpInsc;
    nrInsc = FEventos.front().nrInsc;
  } else {
    // A CNPJ travels as its root with type "1"; a CPF whole, type "2".
    const std::string numero = digitsOnly(FComponente->Configuracoes().Geral().IdContribuinte());
    tpInsc = numero.size() == 11 ? "2" : "1";
    nrInsc = numero.size() == 14 ? numero.substr(0, 8) : numero;
  }

  std::string xml = "<Reinf xmlns=\"" + std::string(kNameSpaceLoteAssincrono) +
                    "\"><envioLoteEventos><ideContribuinte><tpInsc>" + EscaparTextoXML(tpInsc) +
                    "</tpInsc><nrInsc>" + EscaparTextoXML(nrInsc) +
                    "</nrInsc></ideContribuinte><eventos>";
  for (const TEventoAssinado& evento : FEventos) {
    xml += "<evento Id=\"" + EscaparTextoXML(evento.Id) + "\">" + evento.XML + "</evento>";
  }
  xml += "</eventos></envioLoteEventos></Reinf>";
  FXML = std::move(xml);

  // As the synchronous lot: a lot that breaks its schema fails only with ExibirErroSchema set;
  // otherwise the service's reply tells the fault.
  const TConfiguracoesReinf& c = FComponente->Configuracoes();
  if (!c.Geral().ExibirErroSchema()) return;
  const std::filesystem::path schema = std::filesystem::path(c.Arquivos().PathSchemas()) /
                                       kPastaSchemasAssincronos / kSchemaLoteAssincrono;
  std::string mensagem;
  if (!FComponente->SSL().Validar(FXML, schema.string(), mensagem)) {
    throw EReinfException("Houve erro na validação do Lote: " + mensagem);
  }
}

}  // namespace luvaro::reinf
