// The certificate store on PKCS#11 tokens (libp11), with PFX data as the other source.
// The store is every user certificate on a token the process's module reaches whose key is
// beside it, or may be (the token hides its keys until the login); signing happens inside the
// token through the key's EVP_PKEY.

#include "dfe/platform/linux/cert_store_pkcs11.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include <openssl/err.h>

#include "dfe/front.h"
#include "dfe/ler_arquivo.h"
#include "dfe/platform/linux/certificate_int.h"
#include "dfe/platform/linux/token_environment_int.h"
#include "dfe/platform/linux/token_objects_int.h"
#include "dfe/ssl/cert_context_int.h"
#include "dfe/ssl/codec.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/data_hora.h"

namespace luvaro {

namespace {

constexpr const char* kTituloEscolha = "Selecione um Certificado";
constexpr const char* kPromptEscolha = "Selecione o Certificado que deseja utilizar:";
// The smart-card code for a PIN prompt the user cancelled (no PIN to hand over).
constexpr unsigned long kPinCancelado = 0x8010006EUL;

std::string Hex8(unsigned long code) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lX", code & 0xFFFFFFFFUL);
  return text;
}

std::string DataCurta(double dataHora) {
  const DateTimeParts partes = decodeDateTime(dataHora);
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", partes.day, partes.month, partes.year);
  return text;
}

// A digest ready for use. MD4 is one of OpenSSL 3's legacy algorithms: it comes from a library
// context of its own with the legacy provider loaded (and the default one, for the key
// operations that go with it), so that the process's own context keeps only the default
// algorithms. Members in dependency order: the context outlives its providers, they the digest.
struct Algoritmo {
  OsslLibCtxPtr contexto;  // null: the process's default context
  OsslProviderPtr padrao;
  OsslProviderPtr legado;
  EvpMdPtr md;
};

Algoritmo ObterAlgoritmo(TSSLDgst Digest, const std::string& classe) {
  const char* nome = nullptr;
  switch (Digest) {
    case TSSLDgst::dgstMD2:  // left out of OpenSSL 3 builds (enable-md2 is off by default)
      break;
    case TSSLDgst::dgstMD4:
      nome = "MD4";
      break;
    case TSSLDgst::dgstMD5:
      nome = "MD5";
      break;
    case TSSLDgst::dgstSHA:
    case TSSLDgst::dgstSHA1:
      nome = "SHA1";
      break;
    case TSSLDgst::dgstSHA256:
      nome = "SHA256";
      break;
    case TSSLDgst::dgstSHA512:
      nome = "SHA512";
      break;
    case TSSLDgst::dgstRMD160:
      throw EDFeException(std::string("Digest ") + NomeDgst(Digest) + " não suportado em " +
                          classe);
  }
  Algoritmo algoritmo;
  if (nome != nullptr) algoritmo.md.reset(EVP_MD_fetch(nullptr, nome, nullptr));
  if (!algoritmo.md && Digest == TSSLDgst::dgstMD4) {
    algoritmo.contexto.reset(OSSL_LIB_CTX_new());
    if (algoritmo.contexto) {
      algoritmo.padrao.reset(OSSL_PROVIDER_load(algoritmo.contexto.get(), "default"));
      algoritmo.legado.reset(OSSL_PROVIDER_load(algoritmo.contexto.get(), "legacy"));
    }
    if (algoritmo.legado) algoritmo.md.reset(EVP_MD_fetch(algoritmo.contexto.get(), nome, nullptr));
  }
  if (!algoritmo.md) {
    ERR_clear_error();
    throw EDFeException(std::string("O Provedor de Criptografia não suporta o algoritmo: ") +
                        NomeDgst(Digest));
  }
  return algoritmo;
}

// A failure inside hashing or signing: the step's text, then the library's code.
[[noreturn]] void FalhaHash(const std::string& texto) {
  const unsigned long code = ERR_peek_last_error();
  ERR_clear_error();
  throw EDFeException(texto + " , erro: $" + Hex8(code));
}

// A key or PIN failure of the token, with the PKCS#11 return value that caused it. Outside a
// hash it is its plain text; CalcHash adds " , erro: $" and the value, as every failure
// inside a hash carries its code.
template <class Base>
class FalhaToken final : public Base {
 public:
  FalhaToken(const std::string& texto, unsigned long rv) : Base(texto), m_rv(rv) {}
  std::string ComCodigo() const { return std::string(this->what()) + " , erro: $" + Hex8(m_rv); }

 private:
  unsigned long m_rv;
};
using FalhaPin = FalhaToken<EDFeExceptionPIN>;
using FalhaChave = FalhaToken<EDFeException>;

// The digest of `data`.
std::string Resumo(const EVP_MD* md, std::string_view data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  ERR_clear_error();
  if (EVP_Digest(data.data(), data.size(), digest, &length, md, nullptr) != 1)
    FalhaHash("CryptHashData");
  return std::string(reinterpret_cast<char*>(digest), length);
}

// An operation context of `key` in the digest's library context, with the digest as the one
// the signature names.
EvpPkeyCtxPtr ContextoDaChave(const Algoritmo& algoritmo, EVP_PKEY* key, bool assinar,
                              const char* passo) {
  ERR_clear_error();
  EvpPkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(algoritmo.contexto.get(), key, nullptr));
  if (!ctx || (assinar ? EVP_PKEY_sign_init(ctx.get()) : EVP_PKEY_verify_init(ctx.get())) != 1 ||
      EVP_PKEY_CTX_set_signature_md(ctx.get(), algoritmo.md.get()) != 1)
    FalhaHash(passo);
  return ctx;
}

}  // namespace

struct TDFeWinCrypt::Impl {
  // Held while the store is open or a token certificate is loaded (declared first: it goes
  // last).
  std::shared_ptr<Pkcs11Module> module;
  bool storeAberta = false;
  std::vector<CertificadoDoToken> store;

  std::unique_ptr<CertContext> context;
  PKCS11_SLOT* slot = nullptr;    // the loaded certificate's token; null for PFX/public
  std::vector<unsigned char> id;  // the loaded certificate's CKA_ID on that token
};

TDFeWinCrypt::TDFeWinCrypt(TDFeSSL& AOwner)
    : TDFeSSLCryptClass(AOwner), FImpl(std::make_unique<Impl>()) {}

TDFeWinCrypt::~TDFeWinCrypt() {
  DescarregarCertificado();
}

bool TDFeWinCrypt::StoreAberta() const {
  return FImpl->storeAberta;
}

// --- store

namespace {

TokenEnvironment::Impl* Ambiente(TDFeSSL& ssl) {
  return ssl.TokenEnv() != nullptr ? &ssl.TokenEnv()->impl() : nullptr;
}

std::string FalhaAbrirStore(TDFeSSL& ssl, const std::string& detalhe) {
  return "TDFeWinCrypt. Erro ao abrir StoreName: " + ssl.StoreName() +
         " Location: " + std::to_string(static_cast<int>(ssl.StoreLocation())) +
         (detalhe.empty() ? "" : " (" + detalhe + ")");
}

}  // namespace

void TDFeWinCrypt::AbrirStore() {
  if (FImpl->storeAberta) return;
  TokenEnvironment::Impl* ambiente = Ambiente(FpDFeSSL);
  if (ambiente == nullptr)
    throw EDFeException(FalhaAbrirStore(FpDFeSSL, "ambiente de tokens não configurado"));
  std::shared_ptr<Pkcs11Module> module;
  try {
    module = ambiente->Module();
  } catch (const EDFeException& e) {
    throw EDFeException(FalhaAbrirStore(FpDFeSSL, e.what()));
  }

  std::vector<CertificadoDoToken> entradas;
  for (PKCS11_SLOT& slot : module->loaded.slots())
    if (slot.token != nullptr && slot.token->initialized) ListarToken(*ambiente, slot, entradas);
  FImpl->module = std::move(module);
  FImpl->store = std::move(entradas);
  FImpl->storeAberta = true;
}

void TDFeWinCrypt::FecharStore() noexcept {
  FImpl->store.clear();
  FImpl->storeAberta = false;
  if (FImpl->slot == nullptr) FImpl->module.reset();
}

void TDFeWinCrypt::LerCertificadosStore() {
  FpListaCertificados->Clear();
  const bool estavaAberta = FImpl->storeAberta;
  AbrirStore();
  try {
    for (const CertificadoDoToken& entrada : FImpl->store)
      LerDadosCertificado(FpListaCertificados->New(), entrada.x509.get());
  } catch (...) {
    if (!estavaAberta) FecharStore();
    throw;
  }
  if (!estavaAberta) FecharStore();
}

std::string TDFeWinCrypt::SelecionarCertificado() {
  DescarregarCertificado();
  AbrirStore();
  std::vector<CertificateChoice> opcoes;
  try {
    for (const CertificadoDoToken& entrada : FImpl->store) {
      TDadosCertificado dados;
      LerDadosCertificado(dados, entrada.x509.get());
      opcoes.push_back({dados.NumeroSerie(), dados.SubjectName(), dados.IssuerName(),
                        DataCurta(dados.DataVenc()),
                        entrada.slot->token->label != nullptr ? entrada.slot->token->label : ""});
    }
  } catch (...) {
    DescarregarCertificado();
    throw;
  }
  // The user is not asked while the store holds anything of the module.
  DescarregarCertificado();

  IFront* front = FpDFeSSL.Front();
  if (front == nullptr)
    throw EDFeException("Não há interface com o usuário para selecionar o certificado");
  const std::optional<std::string> escolha =
      front->ChooseCertificate(kTituloEscolha, kPromptEscolha, opcoes);
  if (!escolha || escolha->empty()) return {};

  FpDFeSSL.SetNumeroSerie(*escolha);
  CarregarCertificado();
  return FpDFeSSL.NumeroSerie();
}

// --- loading

void TDFeWinCrypt::LiberarCertificado() noexcept {
  FImpl->context.reset();
  FImpl->slot = nullptr;
  FImpl->id.clear();
  FpDadosCertificado->Clear();
  FpCertificadoLido = false;
}

void TDFeWinCrypt::CarregarCertificado() {
  LiberarCertificado();

  // A configured file is the PFX, whatever it holds: one that cannot be read fails naming it,
  // and an empty one is not a PFX (neither falls through to the token).
  const bool deArquivo = FpDFeSSL.DadosPFX().empty() && !FpDFeSSL.ArquivoPFX().empty();
  if (deArquivo) {
    const std::filesystem::path arquivo(FpDFeSSL.ArquivoPFX());
    std::error_code erro;
    if (!std::filesystem::exists(arquivo, erro))
      throw EDFeException("Arquivo: " + FpDFeSSL.ArquivoPFX() + " não encontrado");
    FpDFeSSL.SetDadosPFX(LerArquivo(arquivo));
  }

  if (deArquivo || !FpDFeSSL.DadosPFX().empty()) {
    const SecureString senha = FpDFeSSL.Senha();
    ConteudoPFX pfx = AbrirPFX(FpDFeSSL.DadosPFX(), senha.str());
    FImpl->context = std::make_unique<CertContext>();
    FImpl->context->certificate = std::move(pfx.certificate);
    FImpl->context->privateKey = std::move(pfx.privateKey);
  } else {
    if (FpDFeSSL.NumeroSerie().empty())
      throw EDFeException("DadosPFX, ArquivoPFX ou NumeroSerie não especificados !");
    AbrirStore();
    for (const CertificadoDoToken& entrada : FImpl->store) {
      if (!MesmoNumeroSerie(FpDFeSSL.NumeroSerie(), NumeroSerieCertificado(entrada.x509.get())))
        continue;
      FImpl->context = std::make_unique<CertContext>();
      FImpl->context->keepAlive = FImpl->module;
      X509_up_ref(entrada.x509.get());
      FImpl->context->certificate.reset(entrada.x509.get());
      FImpl->slot = entrada.slot;
      FImpl->id = entrada.id;
      break;
    }
    if (!FImpl->context)
      throw EDFeException("Certificado \"" + FpDFeSSL.NumeroSerie() + "\" não encontrado!");
  }
  if (!FImpl->context || !FImpl->context->certificate)
    throw EDFeException("Certificado Digital não encontrado!");

  LerDadosCertificado(*FpDadosCertificado, FImpl->context->certificate.get());
  TSSLTipoCertificado tipo = TSSLTipoCertificado::tpcA1;  // a PFX key lives in software
  if (FImpl->slot != nullptr) {
    const std::optional<bool> hardware = Ambiente(FpDFeSSL)->SlotHardware(FImpl->slot);
    tipo = !hardware   ? TSSLTipoCertificado::tpcDesconhecido
           : *hardware ? TSSLTipoCertificado::tpcA3
                       : TSSLTipoCertificado::tpcA1;
  }
  FpDadosCertificado->SetTipo(tipo);
  FpCertificadoLido = true;

  // With a configured password the token is logged in now; only a wrong or blocked PIN is
  // reported here, anything else shows when the key is used.
  if (FImpl->slot != nullptr && !FpDFeSSL.Senha().empty() &&
      !Ambiente(FpDFeSSL)->PinListContains(FpDadosCertificado->NumeroSerie()))
    DefinirPIN(false);
}

// Hands the PIN to the loaded certificate's token unless it is logged in already: the
// configured password, or (none configured) the user's answer to the front's prompt. With
// `reportarTudo` false only a wrong or a blocked PIN fails.
void TDFeWinCrypt::DefinirPIN(bool reportarTudo) {
  TokenEnvironment::Impl& ambiente = *Ambiente(FpDFeSSL);
  PKCS11_SLOT* slot = FImpl->slot;
  PKCS11_TOKEN* token = slot->token;
  if (!token->loginRequired || ambiente.LoggedIn(slot)) return;

  const std::string numeroSerie = FpDadosCertificado->NumeroSerie();
  bool configurada = false;
  unsigned long rv = CKR_OK;
  if (token->userPinLocked) {
    rv = CKR_PIN_LOCKED;
  } else if (token->secureLogin) {
    configurada = !FpDFeSSL.Senha().empty();
    rv = ambiente.Login(slot, nullptr);
  } else {
    SecureString pin(FpDFeSSL.Senha());
    configurada = !pin.empty();
    if (!configurada) {
      IFront* front = FpDFeSSL.Front();
      std::optional<SecureString> resposta;
      if (front != nullptr)
        resposta = front->AskPin(
            {token->label != nullptr ? token->label : "", FpDadosCertificado->RazaoSocial()});
      if (!resposta || resposta->empty())
        throw FalhaPin(MsgFalhaDefinirPin(kPinCancelado), kPinCancelado);
      pin = std::move(*resposta);
    }
    rv = ambiente.Login(slot, &pin);
  }

  switch (PinOutcomeOf(rv)) {
    case PinOutcome::Ok:
      if (configurada) ambiente.PinListAdd(numeroSerie);
      return;
    case PinOutcome::Wrong:
    case PinOutcome::Blocked: {
      const char* mensagem =
          PinOutcomeOf(rv) == PinOutcome::Wrong ? kMsgPinErrado : kMsgPinBloqueado;
      // The stored password goes (which unloads this certificate): it is never handed over
      // again by itself.
      FpDFeSSL.SetSenha("");
      throw FalhaPin(mensagem, rv);
    }
    case PinOutcome::Other:
      if (reportarTudo) throw FalhaPin(MsgFalhaDefinirPin(rv), rv);
      return;
  }
}

// The token key of the loaded certificate, logging the token in on first use.
EVP_PKEY* TDFeWinCrypt::ChavePrivada() {
  if (!FImpl->context) CarregarCertificado();
  if (!FImpl->context) throw EDFeException("Certificado não pode ser carregado po MS CryptoAPI");
  if (FImpl->slot != nullptr && Ambiente(FpDFeSSL)->ContextPinWasRefused(FImpl->slot))
    throw FalhaPin(kMsgPinErrado, CKR_PIN_INCORRECT);  // without touching the token
  if (FImpl->context->privateKey) return FImpl->context->privateKey.get();
  if (FImpl->slot == nullptr)
    throw EDFeException("Falha em obter Provedor de Criptografia do Certificado. Erro: " +
                        Hex8(0x80090016UL));  // a public certificate has no key set

  DefinirPIN(true);

  // One search for the private keys, now that the login shows them.
  ERR_clear_error();
  ChavesDoToken privadas(FImpl->slot->token, true);
  if (PKCS11_KEY* chave = privadas.Do(FImpl->context->certificate.get(), FImpl->id, true)) {
    if (EvpPkeyPtr key = ChavesDoToken::Privada(chave)) {
      // A key that asks for the PIN at every use gets it from the login's PIN (ContextPins).
      Ambiente(FpDFeSSL)->KeyInUse(FImpl->slot, chave->label);
      FImpl->context->privateKey = std::move(key);
      return FImpl->context->privateKey.get();
    }
  }
  // The return value of the token call that failed; none failed when the key is simply not
  // there.
  std::vector<unsigned long> codigos;
  const std::string detalhe = OpenSslErrors(&codigos);
  unsigned long rv = CKR_KEY_HANDLE_INVALID;
  for (unsigned long code : codigos)
    if (ERR_GET_LIB(code) == ERR_get_CKR_code()) rv = ERR_GET_REASON(code);
  throw FalhaChave("O recipiente da chave não pôde ser aberto" +
                       (detalhe.empty() ? std::string() : " (" + detalhe + ")"),
                   rv);
}

void TDFeWinCrypt::DescarregarCertificado() {
  TokenEnvironment::Impl* ambiente = Ambiente(FpDFeSSL);
  if (FImpl->slot != nullptr && ambiente != nullptr &&
      ambiente->PinListContains(FpDadosCertificado->NumeroSerie())) {
    ambiente->Logout(FImpl->slot);
    ambiente->PinListRemove(FpDadosCertificado->NumeroSerie());
  }
  LiberarCertificado();
  FecharStore();
  TDFeSSLCryptClass::DescarregarCertificado();
}

bool TDFeWinCrypt::CarregarCertificadoPublico(const std::string& DadosX509Base64) {
  DescarregarCertificado();
  const std::optional<std::string> der = Base64Decode(DadosX509Base64);
  if (!der || der->empty()) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(der->data());
  X509Ptr certificate(d2i_X509(nullptr, &bytes, static_cast<long>(der->size())));
  if (!certificate) {
    ERR_clear_error();
    return false;
  }
  LerDadosCertificado(*FpDadosCertificado, certificate.get());
  FImpl->context = std::make_unique<CertContext>();
  FImpl->context->certificate = std::move(certificate);
  return !FpDadosCertificado->SubjectName().empty();
}

// --- what signing and TLS use

const CertContext* TDFeWinCrypt::GetCertContextWinApi() {
  if (!FImpl->context) CarregarCertificado();
  if (FImpl->slot != nullptr) ChavePrivada();
  return FImpl->context.get();
}

std::string TDFeWinCrypt::GetCertPFXData() {
  if (!FpDFeSSL.DadosPFX().empty()) return FpDFeSSL.DadosPFX();
  throw EDFeExceptionNoPrivateKey("Certificado não permite Exportar Chave Privada.");
}

// Hashing then signing the digest (rather than one digest-and-sign call) lets a legacy
// digest from its own library context work with any key: the key operation runs in that
// context.
// A signature the token did not make. When it refused the PIN of a key that asks for it at
// every use, that PIN is never handed to it again in this process (DefinirPIN's rules).
void TDFeWinCrypt::FalhaAssinatura() {
  std::vector<unsigned long> codigos;
  for (unsigned long code = ERR_get_error(); code != 0; code = ERR_get_error())
    codigos.push_back(code);
  for (unsigned long code : codigos) {
    if (FImpl->slot == nullptr || ERR_GET_LIB(code) != ERR_get_CKR_code()) continue;
    const unsigned long rv = ERR_GET_REASON(code);
    const PinOutcome resultado = PinOutcomeOf(rv);
    if (resultado != PinOutcome::Wrong && resultado != PinOutcome::Blocked) continue;
    Ambiente(FpDFeSSL)->ContextPinRefused(FImpl->slot);
    throw EDFeExceptionPIN(
        std::string(resultado == PinOutcome::Wrong ? kMsgPinErrado : kMsgPinBloqueado) +
        " , erro: $" + Hex8(rv));
  }
  throw EDFeException("CryptSignHash , erro: $" + Hex8(codigos.empty() ? 0 : codigos.back()));
}

std::string TDFeWinCrypt::CalcHash(std::string_view data, TSSLDgst Digest, bool Assina) {
  const Algoritmo algoritmo = ObterAlgoritmo(Digest, ClassName());
  const std::string digest = Resumo(algoritmo.md.get(), data);
  if (!Assina) return digest;

  EVP_PKEY* key = nullptr;
  try {
    key = ChavePrivada();
  } catch (const FalhaPin& falha) {
    throw EDFeExceptionPIN(falha.ComCodigo());
  } catch (const FalhaChave& falha) {
    throw EDFeException(falha.ComCodigo());
  }
  const EvpPkeyCtxPtr ctx = ContextoDaChave(algoritmo, key, true, "CryptCreateHash");
  const auto* tbs = reinterpret_cast<const unsigned char*>(digest.data());
  std::size_t length = 0;
  if (EVP_PKEY_sign(ctx.get(), nullptr, &length, tbs, digest.size()) != 1)
    FalhaHash("CryptSignHash");
  std::string signature(length, '\0');
  if (EVP_PKEY_sign(ctx.get(), reinterpret_cast<unsigned char*>(signature.data()), &length, tbs,
                    digest.size()) != 1)
    FalhaAssinatura();
  signature.resize(length);
  return signature;  // big-endian, as OpenSSL gives it
}

bool TDFeWinCrypt::ValidarHash(std::string_view data, TSSLDgst Digest, std::string_view Hash,
                               bool Assinado) {
  const Algoritmo algoritmo = ObterAlgoritmo(Digest, ClassName());
  const std::string digest = Resumo(algoritmo.md.get(), data);
  if (!Assinado) return Hash.find(digest) != std::string_view::npos;
  if (!FImpl->context) CarregarCertificado();
  if (!FImpl->context) throw EDFeException("Certificado não pode ser carregado po MS CryptoAPI");
  EVP_PKEY* publicKey = X509_get0_pubkey(FImpl->context->certificate.get());
  if (publicKey == nullptr) FalhaHash("CryptImportPublicKeyInfo");
  const EvpPkeyCtxPtr ctx =
      ContextoDaChave(algoritmo, publicKey, false, "CryptImportPublicKeyInfo");
  const int verified =
      EVP_PKEY_verify(ctx.get(), reinterpret_cast<const unsigned char*>(Hash.data()), Hash.size(),
                      reinterpret_cast<const unsigned char*>(digest.data()), digest.size());
  ERR_clear_error();  // a signature that does not match is an answer, not a failure
  return verified == 1;
}

std::unique_ptr<TDFeSSLCryptClass> CriarCryptClassPlataforma(TDFeSSL& owner) {
  return std::make_unique<TDFeWinCrypt>(owner);
}

}  // namespace luvaro
