#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dfe/dfe_exception.h"
#include "dfe/secure_string.h"
#include "dfe/ssl/dados_certificado.h"
#include "dfe/ssl/ssl_backends.h"
#include "dfe/ssl/ssl_types.h"

namespace luvaro {

class IFront;
class TokenEnvironment;

// The token did not take the PIN (wrong, blocked, or none given); what() is the user's text.
class EDFeExceptionPIN : public EDFeException {
 public:
  using EDFeException::EDFeException;
};

// The certificate's private key cannot be exported (a key that lives on a token).
class EDFeExceptionNoPrivateKey : public EDFeException {
 public:
  using EDFeException::EDFeException;
};

// Hook called before signing; it may replace the document (then no signing takes place).
using TDFeSSLAntesDeAssinar =
    std::function<void(std::string& ConteudoXML, const std::string& docElement,
                       const std::string& infElement, const std::string& SignatureNode,
                       const std::string& SelectionNamespaces, const std::string& IdSignature)>;

// The security facade: the one object through which the protocol components reach
// certificates, signatures and the network. It owns one back-end per concern (crypto, HTTP,
// XML signature), chosen by the three enumerations.
//
// Properties follow one convention: `X()` reads, `SetX(value)` writes (setters act only on a
// change where the rules say so).
class TDFeSSL {
 public:
  TDFeSSL();
  ~TDFeSSL();
  TDFeSSL(const TDFeSSL&) = delete;  // owns back-ends bound to this object
  TDFeSSL& operator=(const TDFeSSL&) = delete;

  void Clear();

  // --- back-ends and algorithms
  TSSLCryptLib SSLCryptLib() const { return FSSLCryptLib; }
  void SetSSLCryptLib(TSSLCryptLib value);
  TSSLHttpLib SSLHttpLib() const { return FSSLHttpLib; }
  void SetSSLHttpLib(TSSLHttpLib value);
  TSSLXmlSignLib SSLXmlSignLib() const { return FSSLXmlSignLib; }
  void SetSSLXmlSignLib(TSSLXmlSignLib value);
  TSSLType SSLType() const { return FSSLType; }
  void SetSSLType(TSSLType value) { FSSLType = value; }
  TSSLDgst SSLDgst() const { return FSSLDgst; }
  void SetSSLDgst(TSSLDgst value) { FSSLDgst = value; }

  // --- certificate settings (a change unloads a loaded certificate)
  TSSLStoreLocation StoreLocation() const { return FStoreLocation; }
  void SetStoreLocation(TSSLStoreLocation value) { FStoreLocation = value; }
  const std::string& StoreName() const { return FStoreName; }
  void SetStoreName(const std::string& value) { FStoreName = value; }
  const std::string& ArquivoPFX() const { return FArquivoPFX; }
  void SetArquivoPFX(const std::string& value);
  const std::string& DadosPFX() const { return FDadosPFX; }
  void SetDadosPFX(const std::string& value);
  const std::string& NumeroSerie() const { return FNumeroSerie; }
  void SetNumeroSerie(const std::string& value);
  SecureString Senha() const;  // unscrambled, in a type that wipes itself
  void SetSenha(std::string_view value);

  // --- network
  const std::string& ProxyHost() const { return FProxyHost; }
  void SetProxyHost(const std::string& value) { FProxyHost = value; }
  const std::string& ProxyPort() const { return FProxyPort; }
  void SetProxyPort(const std::string& value) { FProxyPort = value; }
  const std::string& ProxyUser() const { return FProxyUser; }
  void SetProxyUser(const std::string& value) { FProxyUser = value; }
  const std::string& ProxyPass() const { return FProxyPass; }
  void SetProxyPass(const std::string& value) { FProxyPass = value; }
  int TimeOut() const { return FTimeOut; }
  void SetTimeOut(int value) { FTimeOut = value; }
  bool TimeOutPorThread() const { return FTimeOutPorThread; }
  void SetTimeOutPorThread(bool value) { FTimeOutPorThread = value; }
  const std::string& NameSpaceURI() const { return FNameSpaceURI; }
  void SetNameSpaceURI(const std::string& value) { FNameSpaceURI = value; }
  bool UseCertificateHTTP() const { return FUseCertificateHTTP; }
  void SetUseCertificateHTTP(bool value) { FUseCertificateHTTP = value; }
  // The server's identity (certificate chain and host name) is verified before a request body
  // leaves; off only where an installation must reach a server whose chain is not yet known,
  // and then every request logs a warning through OnAviso.
  bool VerificarServidor() const { return FVerificarServidor; }
  void SetVerificarServidor(bool value) { FVerificarServidor = value; }
  // The folder whose PEM files add trusted authorities to the system's roots (the application
  // folder's cadeias/); empty: the system's roots only. Kept across Clear.
  const std::filesystem::path& PastaCadeias() const { return FPastaCadeias; }
  void SetPastaCadeias(const std::filesystem::path& value) { FPastaCadeias = value; }
  // Where the facade's warnings go (the program's log); may be empty. Kept across Clear.
  const std::function<void(const std::string&)>& OnAviso() const { return FOnAviso; }
  void SetOnAviso(std::function<void(const std::string&)> hook) { FOnAviso = std::move(hook); }
  // Hands a warning to OnAviso, when there is one.
  void Avisar(const std::string& texto) const;
  const TDFeSSLAntesDeAssinar& AntesDeAssinar() const { return FAntesDeAssinar; }
  void SetAntesDeAssinar(TDFeSSLAntesDeAssinar hook) { FAntesDeAssinar = std::move(hook); }

  // The user-facing front (certificate chooser, PIN prompt); not owned, may be null.
  IFront* Front() const { return FFront; }
  void SetFront(IFront* front) { FFront = front; }

  // The process's PKCS#11 module and PIN list, made once in main() (see
  // dfe/platform/linux/token_environment.h); not owned, may be null, in which case the
  // certificate-store back-end fails with a clear message. Kept across Clear.
  TokenEnvironment* TokenEnv() const { return FTokenEnv; }
  void SetTokenEnv(TokenEnvironment* environment) { FTokenEnv = environment; }

  // --- certificate data (each accessor loads the certificate when its data is still empty)
  bool CertificadoLido() const;
  const CertContext* CertContextWinApi();
  std::string CertNumeroSerie();
  double CertDataVenc();
  std::string CertCertificadora();
  std::string CertIssuerName();
  std::string CertSubjectName();
  std::string CertRazaoSocial();
  std::string CertCNPJ();
  TSSLTipoCertificado CertTipo();
  TDadosCertificado& DadosCertificado();
  TListaCertificados& ListaCertificados();
  int HTTPResultCode();
  int InternalErrorCode();

  // Installs a crypto back-end made elsewhere (an engine this facade does not select by
  // enumeration, such as a test's software key); SSLCryptLib is left as it is.
  void SetSSLCryptClass(std::unique_ptr<TDFeSSLCryptClass> backend);
  // The same for the XML-signature back-end; SSLXmlSignLib is left as it is.
  void SetSSLXmlSignClass(std::unique_ptr<TDFeSSLXmlSignClass> backend);

  TDFeSSLCryptClass& SSLCryptClass() { return *FSSLCryptClass; }
  TDFeSSLHttpClass& SSLHttpClass() { return *FSSLHttpClass; }
  TDFeSSLXmlSignClass& SSLXmlSignClass() { return *FSSLXmlSignClass; }

  // --- operations
  std::string Assinar(const std::string& ConteudoXML, const std::string& docElement,
                      const std::string& infElement, const std::string& SignatureNode = "",
                      const std::string& SelectionNamespaces = "",
                      const std::string& IdSignature = "", const std::string& IdAttr = "");
  std::string Enviar(const std::string& ConteudoXML, const std::string& AURL,
                     const std::string& ASoapAction, std::string AMimeType = "");
  // One GET through the HTTP back-end (the REST services' queries), serialised like Enviar;
  // it always runs on the calling thread.
  std::string Obter(const std::string& AURL, const std::string& AMimeType);
  bool Validar(const std::string& ConteudoXML, const std::string& ArqSchema, std::string& MsgErro);
  // Whether the schema file is there, looked up once per file: every event of a lot names the
  // same one, and the schema folder does not change during a run.
  bool SchemaExiste(const std::string& ArqSchema);
  bool VerificarAssinatura(const std::string& ConteudoXML, std::string& MsgErro,
                           const std::string& infElement = "",
                           const std::string& SignatureNode = "",
                           const std::string& SelectionNamespaces = "",
                           const std::string& IdSignature = "", const std::string& IdAttr = "");

  // Digest (or signature when Assina) of the data; a null stream fails with "Stream inválido".
  std::string CalcHash(const std::string* AStream, TSSLDgst Digest,
                       TSSLHashOutput ModoSaida = TSSLHashOutput::outHexa, bool Assina = false);
  std::string CalcHash(std::string_view BinaryString, TSSLDgst Digest,
                       TSSLHashOutput ModoSaida = TSSLHashOutput::outHexa, bool Assina = false);
  std::string CalcHashArquivo(const std::string& NomeArquivo, TSSLDgst Digest,
                              TSSLHashOutput ModoSaida = TSSLHashOutput::outHexa,
                              bool Assina = false);
  bool ValidarHash(std::string_view SourceString, TSSLDgst Digest, std::string_view Hash,
                   bool Assinado = false);
  // The same on a stream (null fails with "Stream inválido") and on a list of lines (each line
  // ended by CR LF, as the list is saved). `Hash` is the raw digest or signature, or either of
  // them in hexadecimal or Base64 as CalcHash gives them.
  bool ValidarHash(const std::string* AStream, TSSLDgst Digest, std::string_view Hash,
                   bool Assinado = false);
  std::string CalcHash(const std::vector<std::string>& AStringList, TSSLDgst Digest,
                       TSSLHashOutput ModoSaida = TSSLHashOutput::outHexa, bool Assina = false);
  bool ValidarHash(const std::vector<std::string>& AStringList, TSSLDgst Digest,
                   std::string_view Hash, bool Assinado = false);

  void CarregarCertificado();
  void CarregarCertificadoSeNecessario();
  void DescarregarCertificado();
  void LerCertificadosStore();
  std::string SelecionarCertificado();
  bool CarregarCertificadoPublico(const std::string& DadosX509Base64);
  void ValidarCNPJCertificado(const std::string& CNPJDocumento);

 private:
  TSSLCryptLib FSSLCryptLib = TSSLCryptLib::cryNone;
  TSSLHttpLib FSSLHttpLib = TSSLHttpLib::httpNone;
  TSSLXmlSignLib FSSLXmlSignLib = TSSLXmlSignLib::xsNone;
  TSSLType FSSLType = TSSLType::LT_all;
  TSSLDgst FSSLDgst = TSSLDgst::dgstSHA1;
  TSSLStoreLocation FStoreLocation = TSSLStoreLocation::slCurrentUser;
  std::string FStoreName = "My";
  std::string FArquivoPFX;
  std::string FDadosPFX;
  std::string FNumeroSerie;
  std::string FSenha;       // scrambled
  std::string FSenhaChave;  // the scrambling key
  std::string FProxyHost, FProxyPort, FProxyUser, FProxyPass;
  int FTimeOut = 5000;
  bool FTimeOutPorThread = false;
  std::string FNameSpaceURI;
  bool FUseCertificateHTTP = true;
  bool FVerificarServidor = true;
  std::filesystem::path FPastaCadeias;
  std::function<void(const std::string&)> FOnAviso;
  TDFeSSLAntesDeAssinar FAntesDeAssinar;
  IFront* FFront = nullptr;
  TokenEnvironment* FTokenEnv = nullptr;

  std::unique_ptr<TDFeSSLCryptClass> FSSLCryptClass;
  std::unique_ptr<TDFeSSLHttpClass> FSSLHttpClass;
  std::unique_ptr<TDFeSSLXmlSignClass> FSSLXmlSignClass;
  std::mutex FHttpSendCriticalSection;
  std::unordered_map<std::string, bool> FSchemasVistos;  // SchemaExiste's answers
  std::mutex FSchemasVistosCriticalSection;
};

// A document checked against a schema file that may be missing.
struct TValidacaoSchema {
  bool valido = false;
  bool ausente = false;  // the schema file is not there (or was not named)
  std::string mensagem;  // why it failed, as TDFeSSL::Validar says it
};

// TDFeSSL::Validar with its failures (a schema file missing or unreadable among them) in the
// result instead of raised: what every check of an event, a lot or a request wants. A missing
// file, the common case of the events (a layout version the schema folder has no files for),
// is told without an exception per event.
TValidacaoSchema ValidarContraSchema(TDFeSSL& ssl, const std::string& ConteudoXML,
                                     const std::string& ArqSchema);

}  // namespace luvaro
