#include "reinf/reinf_evento.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <random>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/leitor.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_exception.h"
#include "reinf/reinf_texto.h"

namespace luvaro::reinf {
namespace {

constexpr std::string_view kDeclaracaoUTF8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// The last `largura` digits of a non-negative number, zero-padded on the left.
std::string Digitos(long long numero, std::size_t largura) {
  std::string texto = std::to_string(numero < 0 ? -numero : numero);
  if (texto.size() > largura) return texto.substr(texto.size() - largura);
  return std::string(largura - texto.size(), '0') + texto;
}

}  // namespace

TReinfEvento::TReinfEvento(TReinfComponente& AReinf) : FComponente(&AReinf) {
  FGerador.Opcoes().SetRetirarEspacos(true);
  FGerador.Opcoes().SetDecimalChar(',');
}

TReinfEvento::~TReinfEvento() = default;

bool TReinfEvento::GerarXML() {
  return false;
}

bool TReinfEvento::LerArqIni(const std::string&) {
  return false;
}

void TReinfEvento::SetXML(const std::string& Value) {
  FXML = Value;
  // A signed document stays as it came, except for its XML declaration, which cannot stand
  // inside the lot (and is no part of what the signature covers).
  if (lowerAscii(Value).find("<signature") != std::string::npos) {
    FXML = RemoverDeclaracaoXML(Value);
    return;
  }

  const std::optional<TTipoEvento> tipo = TipoEventoDoXML(Value);
  if (!tipo) throw EReinfException("Tipo de evento não identificado no documento.");
  FXML = Assinar(FXML, ElementoDoTipoEvento(*tipo));

  TLeitor leitor;
  leitor.SetGrupo(FXML);
  SetId(leitor.rAtributo("id="));

  const std::optional<TTipoEvento> tipoAssinado = TipoEventoDoXML(FXML);
  Validar(tipoAssinado ? SchemaDoTipoEvento(*tipoAssinado) : TReinfSchema::schErro);
}

std::string TReinfEvento::Assinar(const std::string& XMLEvento, const std::string& NomeEvento) {
  FOriginalAssinado = false;
  // Another encoding's declaration is replaced, not followed by a second one.
  FXMLOriginal = DeclaraUTF8(XMLEvento)
                     ? XMLEvento
                     : std::string(kDeclaracaoUTF8) + RemoverDeclaracaoXML(XMLEvento);

  const TGeralConfReinf& geral = FComponente->Configuracoes().Geral();
  if (geral.SSLCryptLib() != TSSLCryptLib::cryOpenSSL &&
      geral.SSLCryptLib() != TSSLCryptLib::cryWinCrypt) {
    throw EReinfException(
        "Necessário DigestMethod Algorithm SHA256. use cryOpenSSL ou cryWinCrypt na propriedade "
        "SSLCryptLib.");
  }
  if (geral.SSLXmlSignLib() != TSSLXmlSignLib::xsXmlSec &&
      geral.SSLXmlSignLib() != TSSLXmlSignLib::xsLibXml2) {
    throw EReinfException(
        "Necessário DigestMethod Algorithm SHA256. use xsXmlSec ou xsLibXml2 na propriedade "
        "SSLXmlSignLib.");
  }

  FXMLAssinado = FComponente->SSL().Assinar(FXMLOriginal, "Reinf", NomeEvento, "", "", "", "id");
  FOriginalAssinado = true;
  std::string().swap(FXMLOriginal);

  // The signed text as the lot takes it: no declaration, whatever its spelling.
  return RemoverDeclaracaoXML(FXMLAssinado);
}

void TReinfEvento::Validar(TReinfSchema Schema) {
  const TConfiguracoesReinf& c = FComponente->Configuracoes();
  const std::string nome = NomeDoSchema(Schema) + "-v" + TextoDaVersao(c.Geral().VersaoDF());
  const std::string arquivo = c.Arquivos().PathSchemas() + nome + ".xsd";

  // A schema file that is missing fails the event like an invalid document does; the failure
  // says which it was.
  const TValidacaoSchema validacao = ValidarContraSchema(FComponente->SSL(), FXMLAssinado, arquivo);
  if (validacao.valido) return;

  FErroValidacao = "Falha na validação dos dados do evento: " + nome + "\r\n" + FAlertas;
  FErroValidacaoCompleto = FErroValidacao + "\r\n" + validacao.mensagem;
  throw EReinfValidacao(c.Geral().ExibirErroSchema() ? FErroValidacaoCompleto : FErroValidacao,
                        FErroValidacaoCompleto, validacao.ausente);
}

std::string TReinfEvento::GerarChaveReinf(DateTime emissao, const std::string& CNPJF,
                                          int sequencial) {
  if (Id().size() == 36) return Id();
  if (sequencial == 0) {
    std::random_device semente;
    std::uniform_int_distribution<int> sorteio(0, 99998);
    sequencial = sorteio(semente);
  }

  const TContribuinte tipo = FComponente->Configuracoes().Geral().TipoContribuinte();
  std::string inscricao = tipo == TContribuinte::tcPessoaJuridica
                              ? digitsOnly(std::string_view(CNPJF).substr(0, 8))
                              : digitsOnly(CNPJF);
  inscricao.resize(14, '0');

  const DateTimeParts p = decodeDateTime(emissao);
  return "ID" + std::string(CNPJF.size() == 14 ? "1" : "2") + inscricao + Digitos(p.year, 4) +
         Digitos(p.month, 2) + Digitos(p.day, 2) + Digitos(p.hour, 2) + Digitos(p.minute, 2) +
         Digitos(p.second, 2) + Digitos(sequencial, 5);
}

void TReinfEvento::SaveToFile(const std::string& CaminhoArquivo) const {
  std::filesystem::path arquivo(CaminhoArquivo);
  arquivo.replace_extension(".xml");
  GravarLinhas(arquivo, FXML);
}

}  // namespace luvaro::reinf
