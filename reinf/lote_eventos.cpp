#include "reinf/lote_eventos.h"

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_eventos.h"
#include "reinf/reinf_exception.h"
#include "reinf/reinf_texto.h"

namespace luvaro::reinf {
namespace {

constexpr std::string_view kDeclaracaoUTF8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// The document without the first exact UTF-8 declaration; other forms and later ones stay.
std::string SemDeclaracao(std::string documento) {
  const std::size_t p = documento.find(kDeclaracaoUTF8);
  if (p != std::string::npos) documento.erase(p, kDeclaracaoUTF8.size());
  return documento;
}

}  // namespace

// --- TItemLoteEventos

void TItemLoteEventos::SetXML(const std::string& value) {
  FXML = value;
  FLeitor.SetArquivo(value);
}

std::string TItemLoteEventos::IDEvento() const {
  const std::size_t p = FXML.find("id=");
  if (p == std::string::npos) return {};
  const std::size_t inicio = p + 4;  // just after the attribute's opening quote
  if (inicio >= FXML.size()) return "ID";
  return "ID" + digitsOnly(std::string_view(FXML).substr(inicio, 38));
}

// --- TLoteEventos

TLoteEventos::TLoteEventos(TReinfComponente& AOwner)
    : FComponente(&AOwner),
      FIdeEmpregador(std::make_unique<TInscricao>()),
      FIdeTransmissor(std::make_unique<TIdeTransmissor>()),
      FGerador(std::make_unique<TGerador>()) {}

TLoteEventos::~TLoteEventos() = default;

TItemLoteEventos& TLoteEventos::Add() {
  FItems.push_back(std::make_unique<TItemLoteEventos>(*FComponente));
  return *FItems.back();
}

bool TLoteEventos::LoadFromString(const std::string& AXMLString) {
  for (const std::string& documento : DividirDocumentos(AXMLString, kFimEventoReinf))
    Add().SetXML(documento);
  return Count() > 0;
}

bool TLoteEventos::LoadFromFile(const std::string& CaminhoArquivo) {
  LoadFromString(LerArquivoTexto(CaminhoArquivo));
  for (const auto& item : FItems) item->SetNomeArq(CaminhoArquivo);
  return true;
}

bool TLoteEventos::LoadFromStream(std::istream& AStream) {
  return LoadFromString(LerStreamTexto(AStream));
}

void TLoteEventos::GerarXML() {
  Clear();
  for (TReinfColecao* colecao : FComponente->Eventos().ReinfEventos().Colecoes()) {
    for (std::size_t i = 0; i < colecao->Count(); ++i) LoadFromString(colecao->Evento(i).XML());
  }

  const std::string versao = TextoDaVersao(FComponente->Configuracoes().Geral().VersaoDF());
  std::string xml = "<Reinf xmlns=\"" + std::string(kNameSpaceBaseSchemas) + "/envioLoteEventos/v" +
                    versao + "\"><loteEventos>";
  // A lot of a thousand events is megabytes: built in one buffer.
  std::size_t tamanho = xml.size() + 64;
  for (const auto& item : FItems) tamanho += item->XML().size() + 64;
  xml.reserve(tamanho);
  for (const auto& item : FItems) {
    xml += "<evento id=\"" + item->IDEvento() + "\"> ";
    xml += SemDeclaracao(item->XML());
    xml += "</evento>";
  }
  xml += "</loteEventos></Reinf>";
  FXML = std::move(xml);

  Validar();
}

void TLoteEventos::Validar() {
  const TConfiguracoesReinf& c = FComponente->Configuracoes();
  const std::string arquivo = c.Arquivos().PathSchemas() + "EnvioLoteEventos-v" +
                              TextoDaVersao(c.Geral().VersaoDF()) + ".xsd";
  // A missing lot schema fails the lot like an invalid document does.
  const TValidacaoSchema validacao = ValidarContraSchema(FComponente->SSL(), FXML, arquivo);
  if (!validacao.valido && c.Geral().ExibirErroSchema()) {
    throw EReinfException("Houve erro na validação do Lote: " + validacao.mensagem);
  }
}

}  // namespace luvaro::reinf
