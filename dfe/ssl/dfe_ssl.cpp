// The security facade: settings with their rules, back-end selection, and the operations that
// wrap the back-ends (signing hook and declaration, digests and their output forms, checks).
// Sending lives in dfe_ssl_enviar.cpp.

#include "dfe/ssl/dfe_ssl.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/codec.h"
#include "dfe/xml/cifra_texto.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "dfe/xml/validacao_documento.h"

namespace luvaro {

namespace {

// The XML declaration: from the first "<?" to the next "?>" (inclusive); empty when absent.
std::string DeclaracaoXML(std::string_view xml) {
  const std::size_t inicio = xml.find("<?");
  if (inicio == std::string_view::npos) return {};
  const std::size_t fim = xml.find("?>", inicio);
  if (fim == std::string_view::npos) return {};
  return std::string(xml.substr(inicio, fim + 2 - inicio));
}

// Whether the text opens with an XML declaration (after a byte-order mark and blanks).
bool TemDeclaracaoXML(std::string_view xml) {
  if (xml.starts_with("\xEF\xBB\xBF")) xml.remove_prefix(3);
  while (!xml.empty() && std::isspace(static_cast<unsigned char>(xml.front())))
    xml.remove_prefix(1);
  return xml.starts_with("<?xml");
}

void Apagar(std::string& secret) noexcept {
  volatile char* p = secret.data();
  for (std::size_t i = 0; i < secret.size(); ++i) p[i] = 0;
  secret.clear();
}

std::string JuntarLinhas(const std::vector<std::string>& linhas) {
  std::string texto;
  for (const std::string& linha : linhas) {
    texto += linha;
    texto += "\r\n";
  }
  return texto;
}

// The given hash as raw bytes: CalcHash's hexadecimal and Base64 forms are accepted as well.
std::string HashBinario(std::string_view hash) {
  if (auto hex = HexDecode(hash)) return *hex;
  if (auto b64 = Base64Decode(hash); b64 && !b64->empty()) return *b64;
  return std::string(hash);
}

}  // namespace

TDFeSSL::TDFeSSL() {
  Clear();
}

TDFeSSL::~TDFeSSL() {
  try {
    DescarregarCertificado();
  } catch (const std::exception&) {
    // Unloading at destruction is best effort; the back-end's destructor releases the rest.
  }
  Apagar(FSenha);
}

void TDFeSSL::Avisar(const std::string& texto) const {
  if (FOnAviso) FOnAviso(texto);
}

void TDFeSSL::Clear() {
  if (FSSLCryptClass) DescarregarCertificado();

  FSSLType = TSSLType::LT_all;
  FSSLDgst = TSSLDgst::dgstSHA1;
  FStoreLocation = TSSLStoreLocation::slCurrentUser;
  FStoreName = "My";
  FArquivoPFX.clear();
  FDadosPFX.clear();
  FNumeroSerie.clear();
  Apagar(FSenha);
  FSenhaChave.clear();
  FProxyHost.clear();
  FProxyPort.clear();
  FProxyUser.clear();
  FProxyPass.clear();
  FTimeOut = 5000;
  FTimeOutPorThread = false;
  FNameSpaceURI.clear();
  FUseCertificateHTTP = true;
  FVerificarServidor = true;
  FAntesDeAssinar = nullptr;

  // The previous objects go first (a crypto back-end releases its certificate and token).
  FSSLCryptClass.reset();
  FSSLHttpClass.reset();
  FSSLXmlSignClass.reset();
  FSSLCryptLib = TSSLCryptLib::cryNone;
  FSSLHttpLib = TSSLHttpLib::httpNone;
  FSSLXmlSignLib = TSSLXmlSignLib::xsNone;
  FSSLCryptClass = CriarCryptClass(FSSLCryptLib, *this);
  FSSLHttpClass = CriarHttpClass(FSSLHttpLib, *this);
  FSSLXmlSignClass = CriarXmlSignClass(FSSLXmlSignLib, *this);
}

// --- back-end selection: the previous object is destroyed first. When the factory refuses a
// value, the base object takes its place so that the facade stays usable.

void TDFeSSL::SetSSLCryptLib(TSSLCryptLib value) {
  if (value == FSSLCryptLib && FSSLCryptClass) return;
  FSSLCryptClass.reset();
  try {
    FSSLCryptClass = CriarCryptClass(value, *this);
    FSSLCryptLib = value;
  } catch (...) {
    FSSLCryptLib = TSSLCryptLib::cryNone;
    FSSLCryptClass = CriarCryptClass(FSSLCryptLib, *this);
    throw;
  }
}

void TDFeSSL::SetSSLHttpLib(TSSLHttpLib value) {
  if (value == FSSLHttpLib && FSSLHttpClass) return;
  FSSLHttpClass.reset();
  try {
    FSSLHttpClass = CriarHttpClass(value, *this);
    FSSLHttpLib = value;
  } catch (...) {
    FSSLHttpLib = TSSLHttpLib::httpNone;
    FSSLHttpClass = CriarHttpClass(FSSLHttpLib, *this);
    throw;
  }
}

void TDFeSSL::SetSSLXmlSignLib(TSSLXmlSignLib value) {
  if (value == FSSLXmlSignLib && FSSLXmlSignClass) return;
  FSSLXmlSignClass.reset();
  try {
    FSSLXmlSignClass = CriarXmlSignClass(value, *this);
    FSSLXmlSignLib = value;
  } catch (...) {
    FSSLXmlSignLib = TSSLXmlSignLib::xsNone;
    FSSLXmlSignClass = CriarXmlSignClass(FSSLXmlSignLib, *this);
    throw;
  }
}

void TDFeSSL::SetSSLCryptClass(std::unique_ptr<TDFeSSLCryptClass> backend) {
  if (!backend) throw EDFeException("Back-end de criptografia não informado");
  FSSLCryptClass.reset();
  FSSLCryptClass = std::move(backend);
}

void TDFeSSL::SetSSLXmlSignClass(std::unique_ptr<TDFeSSLXmlSignClass> backend) {
  if (!backend) throw EDFeException("Back-end de assinatura XML não informado");
  FSSLXmlSignClass.reset();
  FSSLXmlSignClass = std::move(backend);
}

// --- certificate settings

void TDFeSSL::SetArquivoPFX(const std::string& value) {
  if (value != FArquivoPFX) {
    DescarregarCertificado();
    FArquivoPFX = value;
  }
  SetDadosPFX("");
}

void TDFeSSL::SetDadosPFX(const std::string& value) {
  if (value == FDadosPFX) return;
  DescarregarCertificado();
  FDadosPFX = value;
}

void TDFeSSL::SetNumeroSerie(const std::string& value) {
  std::string numero;
  for (char c : value)
    if (!std::isspace(static_cast<unsigned char>(c)))
      numero += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (numero != FNumeroSerie) {
    DescarregarCertificado();
    FNumeroSerie = std::move(numero);
  }
  SetDadosPFX("");
}

SecureString TDFeSSL::Senha() const {
  return SecureString(CifrarTexto(FSenha, FSenhaChave));
}

void TDFeSSL::SetSenha(std::string_view value) {
  if (Senha() == value) return;
  DescarregarCertificado();
  Apagar(FSenha);
  FSenhaChave = ChaveDoMomento();
  FSenha = CifrarTexto(value, FSenhaChave);
}

// --- certificate data

bool TDFeSSL::CertificadoLido() const {
  return FSSLCryptClass->CertificadoLido();
}

const CertContext* TDFeSSL::CertContextWinApi() {
  return FSSLCryptClass->GetCertContextWinApi();
}

TDadosCertificado& TDFeSSL::DadosCertificado() {
  return FSSLCryptClass->DadosCertificado();
}

TListaCertificados& TDFeSSL::ListaCertificados() {
  return FSSLCryptClass->ListaCertificados();
}

namespace {
// Each certificate accessor loads the certificate while its data is still empty.
TDadosCertificado& DadosCarregados(TDFeSSL& ssl) {
  if (ssl.DadosCertificado().NumeroSerie().empty()) ssl.CarregarCertificado();
  return ssl.DadosCertificado();
}
}  // namespace

std::string TDFeSSL::CertNumeroSerie() {
  return DadosCarregados(*this).NumeroSerie();
}
double TDFeSSL::CertDataVenc() {
  return DadosCarregados(*this).DataVenc();
}
std::string TDFeSSL::CertCertificadora() {
  return DadosCarregados(*this).Certificadora();
}
std::string TDFeSSL::CertIssuerName() {
  return DadosCarregados(*this).IssuerName();
}
std::string TDFeSSL::CertSubjectName() {
  return DadosCarregados(*this).SubjectName();
}
std::string TDFeSSL::CertRazaoSocial() {
  return DadosCarregados(*this).RazaoSocial();
}
std::string TDFeSSL::CertCNPJ() {
  return DadosCarregados(*this).CNPJ();
}
TSSLTipoCertificado TDFeSSL::CertTipo() {
  return DadosCarregados(*this).Tipo();
}

int TDFeSSL::HTTPResultCode() {
  return FSSLHttpClass->GetHTTPResultCode();
}
int TDFeSSL::InternalErrorCode() {
  return FSSLHttpClass->GetInternalErrorCode();
}

// --- signing and validation

std::string TDFeSSL::Assinar(const std::string& ConteudoXML, const std::string& docElement,
                             const std::string& infElement, const std::string& SignatureNode,
                             const std::string& SelectionNamespaces, const std::string& IdSignature,
                             const std::string& IdAttr) {
  const std::string declaracao = DeclaraUTF8(ConteudoXML) ? DeclaracaoXML(ConteudoXML) : "";

  if (FAntesDeAssinar) {
    std::string copia = ConteudoXML;
    FAntesDeAssinar(copia, docElement, infElement, SignatureNode, SelectionNamespaces, IdSignature);
    if (copia != ConteudoXML) return copia;
  }

  std::string assinado = FSSLXmlSignClass->Assinar(
      ConteudoXML, docElement, infElement, SignatureNode, SelectionNamespaces, IdSignature, IdAttr);
  if (!declaracao.empty() && !TemDeclaracaoXML(assinado)) assinado = declaracao + assinado;
  return assinado;
}

namespace {

std::string MsgSchemaNaoEncontrado(const std::string& ArqSchema) {
  return "Arquivo \r\n" + ArqSchema + "\r\nNão encontrado";
}

bool Existe(const std::string& arquivo) {
  std::error_code erro;
  return std::filesystem::exists(std::filesystem::path(arquivo), erro);
}

}  // namespace

bool TDFeSSL::SchemaExiste(const std::string& ArqSchema) {
  std::lock_guard<std::mutex> trava(FSchemasVistosCriticalSection);
  const auto visto = FSchemasVistos.find(ArqSchema);
  if (visto != FSchemasVistos.end()) return visto->second;
  return FSchemasVistos.emplace(ArqSchema, Existe(ArqSchema)).first->second;
}

bool TDFeSSL::Validar(const std::string& ConteudoXML, const std::string& ArqSchema,
                      std::string& MsgErro) {
  if (ArqSchema.empty()) throw EDFeException("Arquivo de Schema não especificado");
  if (!SchemaExiste(ArqSchema)) throw EDFeException(MsgSchemaNaoEncontrado(ArqSchema));
  return FSSLXmlSignClass->Validar(ConteudoXML, ArqSchema, MsgErro);
}

TValidacaoSchema ValidarContraSchema(TDFeSSL& ssl, const std::string& ConteudoXML,
                                     const std::string& ArqSchema) {
  TValidacaoSchema resultado;
  if (!ArqSchema.empty() && !ssl.SchemaExiste(ArqSchema)) {
    resultado.ausente = true;
    resultado.mensagem = MsgSchemaNaoEncontrado(ArqSchema);
    return resultado;
  }
  try {
    resultado.valido = ssl.Validar(ConteudoXML, ArqSchema, resultado.mensagem);
  } catch (const EDFeException& e) {
    resultado.mensagem = e.what();
    resultado.ausente = !Existe(ArqSchema);  // unnamed, or gone since
  }
  return resultado;
}

bool TDFeSSL::VerificarAssinatura(const std::string& ConteudoXML, std::string& MsgErro,
                                  const std::string& infElement, const std::string& SignatureNode,
                                  const std::string& SelectionNamespaces,
                                  const std::string& IdSignature, const std::string& IdAttr) {
  return FSSLXmlSignClass->VerificarAssinatura(ConteudoXML, MsgErro, infElement, SignatureNode,
                                               SelectionNamespaces, IdSignature, IdAttr);
}

// --- digests and signatures

std::string TDFeSSL::CalcHash(const std::string* AStream, TSSLDgst Digest, TSSLHashOutput ModoSaida,
                              bool Assina) {
  if (AStream == nullptr) throw EDFeException("Stream inválido");
  return CalcHash(std::string_view(*AStream), Digest, ModoSaida, Assina);
}

std::string TDFeSSL::CalcHash(std::string_view BinaryString, TSSLDgst Digest,
                              TSSLHashOutput ModoSaida, bool Assina) {
  if (BinaryString.empty()) throw EDFeException("Stream vazio");
  const std::string bruto = FSSLCryptClass->CalcHash(BinaryString, Digest, Assina);
  switch (ModoSaida) {
    case TSSLHashOutput::outHexa:
      return HexUpper(bruto);
    case TSSLHashOutput::outBase64:
      return Base64Encode(bruto);
    case TSSLHashOutput::outBinary:
      break;
  }
  return bruto;
}

std::string TDFeSSL::CalcHash(const std::vector<std::string>& AStringList, TSSLDgst Digest,
                              TSSLHashOutput ModoSaida, bool Assina) {
  return CalcHash(std::string_view(JuntarLinhas(AStringList)), Digest, ModoSaida, Assina);
}

std::string TDFeSSL::CalcHashArquivo(const std::string& NomeArquivo, TSSLDgst Digest,
                                     TSSLHashOutput ModoSaida, bool Assina) {
  std::ifstream arquivo(std::filesystem::path(NomeArquivo), std::ios::binary);
  if (!arquivo) throw EDFeException("Arquivo: " + NomeArquivo + " não encontrado");
  const std::string dados{std::istreambuf_iterator<char>(arquivo),
                          std::istreambuf_iterator<char>()};
  return CalcHash(std::string_view(dados), Digest, ModoSaida, Assina);
}

bool TDFeSSL::ValidarHash(std::string_view SourceString, TSSLDgst Digest, std::string_view Hash,
                          bool Assinado) {
  if (SourceString.empty()) throw EDFeException("Stream vazio");
  if (Hash.empty()) throw EDFeException("Hash vazio");
  return FSSLCryptClass->ValidarHash(SourceString, Digest, HashBinario(Hash), Assinado);
}

bool TDFeSSL::ValidarHash(const std::string* AStream, TSSLDgst Digest, std::string_view Hash,
                          bool Assinado) {
  if (AStream == nullptr) throw EDFeException("Stream inválido");
  return ValidarHash(std::string_view(*AStream), Digest, Hash, Assinado);
}

bool TDFeSSL::ValidarHash(const std::vector<std::string>& AStringList, TSSLDgst Digest,
                          std::string_view Hash, bool Assinado) {
  return ValidarHash(std::string_view(JuntarLinhas(AStringList)), Digest, Hash, Assinado);
}

// --- certificate operations

void TDFeSSL::CarregarCertificado() {
  FSSLCryptClass->CarregarCertificado();
}

void TDFeSSL::CarregarCertificadoSeNecessario() {
  if (!CertificadoLido()) CarregarCertificado();
}

void TDFeSSL::DescarregarCertificado() {
  FSSLCryptClass->DescarregarCertificado();
}

void TDFeSSL::LerCertificadosStore() {
  FSSLCryptClass->LerCertificadosStore();
}

std::string TDFeSSL::SelecionarCertificado() {
  std::string numero = FSSLCryptClass->SelecionarCertificado();
  if (!numero.empty()) CarregarCertificado();
  return numero;
}

bool TDFeSSL::CarregarCertificadoPublico(const std::string& DadosX509Base64) {
  return FSSLCryptClass->CarregarCertificadoPublico(DadosX509Base64);
}

void TDFeSSL::ValidarCNPJCertificado(const std::string& CNPJDocumento) {
  const std::string documento = digitsOnly(CNPJDocumento);
  if (documento.size() != 14) return;
  const std::string certificado = digitsOnly(CertCNPJ());
  if (certificado.size() != 14) return;

  if (const std::string erro = ValidarCNPJ(documento); !erro.empty())
    throw EDFeException("Erro CNPJ Documento: " + erro);
  if (documento.compare(0, 8, certificado, 0, 8) != 0)
    throw EDFeException("O CNPJ do Documento é diferente do CNPJ do Certificado Digital");
}

}  // namespace luvaro
