#include "esocial/lote_eventos.h"

#include <fstream>
#include <iterator>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "esocial/esocial_evento.h"
#include "esocial/esocial_exception.h"
#include "esocial/eventos.h"

namespace luvaro {
namespace {

constexpr std::string_view kDeclaracaoUTF8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// Appends the event document without its first UTF-8 declaration (only that exact text, only
// once).
void acrescentarSemPrimeiraDeclaracao(std::string& destino, std::string_view xml) {
  const std::size_t pos = xml.find(kDeclaracaoUTF8);
  destino += xml.substr(0, pos);
  if (pos != std::string_view::npos) destino += xml.substr(pos + kDeclaracaoUTF8.size());
}

std::string inscricao(const TInscricao& ide, const std::string& numero) {
  return "<tpInsc>" + std::to_string(static_cast<int>(ide.TpInsc()) + 1) + "</tpInsc><nrInsc>" +
         EscaparTextoXML(numero) + "</nrInsc>";
}

}  // namespace

// --- TItemLoteEventos

void TItemLoteEventos::SetXML(const std::string& value) {
  FXML = value;
  FLeitor.SetArquivo(value);
}

std::string TItemLoteEventos::IDEvento() const {
  const std::size_t id = FXML.find("Id=");
  if (id == std::string::npos) return {};
  const std::size_t aspas = FXML.find_first_of("\"'", id + 3);
  if (aspas == std::string::npos) return "ID";
  return "ID" + digitsOnly(std::string_view(FXML).substr(aspas + 1, 38));
}

// --- TLoteEventos

TLoteEventos::TLoteEventos(TeSocialComponente& AeSocial) : TeSocialCollection(AeSocial) {}

TLoteEventos::~TLoteEventos() = default;

TItemLoteEventos& TLoteEventos::Add() {
  FItems.push_back(std::make_unique<TItemLoteEventos>());
  return *FItems.back();
}

TItemLoteEventos& TLoteEventos::Items(int Index) const {
  if (Index < 0 || Index >= Count()) {
    throw EDFeException("Índice fora da lista: " + std::to_string(Index));
  }
  return *FItems[static_cast<std::size_t>(Index)];
}

bool TLoteEventos::LoadFromString(const std::string& AXMLString) {
  for (std::string& peca : DividirEventos(AXMLString)) Add().FXML = std::move(peca);
  return Count() > 0;
}

bool TLoteEventos::LoadFromFile(const std::string& CaminhoArquivo) {
  // The file's bytes as they are (a UTF-8 byte-order mark dropped).
  std::ifstream in(CaminhoArquivo, std::ios::binary);
  if (!in) throw EDFeException("Arquivo não encontrado: " + CaminhoArquivo);
  std::string texto((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EDFeException("Erro ao ler o arquivo: " + CaminhoArquivo);
  if (texto.starts_with("\xEF\xBB\xBF")) texto.erase(0, 3);
  LoadFromString(texto);
  for (const auto& item : FItems) item->SetNomeArq(CaminhoArquivo);
  return true;
}

bool TLoteEventos::LoadFromStream(std::istream& AStream) {
  AStream.clear();
  AStream.seekg(0, std::ios::beg);
  std::string texto((std::istreambuf_iterator<char>(AStream)), std::istreambuf_iterator<char>());
  if (AStream.bad()) throw EDFeException("Falha ao ler o stream do lote.");
  return LoadFromString(texto);
}

void TLoteEventos::GerarXML(int grupo) {
  Clear();
  for (const TeSocialGrupo* grupoEventos : Owner().Eventos().Grupos()) {
    for (TeSocialColecaoEventos* colecao : grupoEventos->Colecoes()) {
      for (int i = 0; i < colecao->Count(); ++i) LoadFromString(colecao->Evento(i).XML());
    }
  }

  const std::string& nrEmpregador = FIdeEmpregador.NrInsc();
  std::string xml = std::string("<eSocial xmlns=\"") + kNameSpaceBaseeSocial +
                    "/schema/lote/eventos/envio/v1_1_1\">";
  xml += "<envioLoteEventos grupo=\"" + std::to_string(grupo) + "\">";
  xml += "<ideEmpregador>" +
         inscricao(FIdeEmpregador, FIdeEmpregador.TpInsc() == tpTpInsc::tiCNPJ
                                       ? nrEmpregador.substr(0, 8)
                                       : nrEmpregador) +
         "</ideEmpregador>";
  xml += "<ideTransmissor>" + inscricao(FIdeTransmissor, FIdeTransmissor.NrInsc()) +
         "</ideTransmissor>";
  xml += "<eventos>";
  // A lot of a thousand events is megabytes: built in one buffer, without a copy per event.
  std::size_t tamanho = xml.size() + 64;
  for (const auto& item : FItems) tamanho += item->XML().size() + 64;
  xml.reserve(tamanho);
  for (const auto& item : FItems) {
    xml += "<evento Id=\"";
    xml += EscaparTextoXML(item->IDEvento());
    xml += "\"> ";
    acrescentarSemPrimeiraDeclaracao(xml, item->XML());
    xml += "</evento>";
  }
  xml += "</eventos></envioLoteEventos></eSocial>";
  FXML = std::move(xml);

  // A missing schema file is a failed check like any other.
  const TConfiguracoeseSocial& configuracoes = Owner().Configuracoes();
  const TValidacaoSchema validacao = ValidarContraSchema(
      Owner().SSL(), FXML, configuracoes.Arquivos().PathSchemas() + "EnvioLoteEventos-v1_1_1.xsd");
  if (!validacao.valido && configuracoes.Geral().ExibirErroSchema()) {
    throw EeSocialException("Houve erro na validação do Lote: " + validacao.mensagem);
  }
}

}  // namespace luvaro
