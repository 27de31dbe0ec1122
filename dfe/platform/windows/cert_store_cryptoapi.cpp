// The certificate store of the system (CryptoAPI), with PFX data as the other source. Keys
// stay with their provider: signing happens inside it (a token signs inside the token).

#include "dfe/platform/windows/cert_store_cryptoapi.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "dfe/front.h"
#include "dfe/platform/windows/cert_context_int.h"
#include "dfe/platform/windows/certificate_int.h"
#include "dfe/platform/windows/crypto_int.h"
#include "dfe/platform/windows/token_environment.h"
#include "dfe/ssl/codec.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/data_hora.h"

namespace luvaro {

namespace {

// The whole content of the PFX file. A file that exists but cannot be opened or read through (a
// folder, no permission, a failing disk) fails naming it with the system's reason, never taken
// for an empty file: "Não foi possível ler o arquivo: <path> (<reason>)".
std::string LerArquivoPFX(const std::filesystem::path& arquivo, const std::string& nome) {
  const auto falha = [&nome](DWORD erro) {
    const std::string motivo = SystemMessage(erro);
    return EDFeException("Não foi possível ler o arquivo: " + nome + " (" +
                         (motivo.empty() ? "erro " + std::to_string(erro) : motivo) + ")");
  };
  const HANDLE aberto = CreateFileW(arquivo.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (aberto == INVALID_HANDLE_VALUE) throw falha(GetLastError());
  const std::unique_ptr<void, CFree<&CloseHandle>> dono(aberto);
  std::string conteudo;
  char bloco[65536];
  for (;;) {
    DWORD lidos = 0;
    if (!ReadFile(aberto, bloco, sizeof bloco, &lidos, nullptr)) throw falha(GetLastError());
    if (lidos == 0) return conteudo;
    conteudo.append(bloco, lidos);
  }
}

constexpr const char* kTituloEscolha = "Selecione um Certificado";
constexpr const char* kPromptEscolha = "Selecione o Certificado que deseja utilizar:";
constexpr const char* kMsgPinErrado =
    "O cartão não pode ser acessado porque o PIN errado foi apresentado.";
constexpr const char* kMsgPinBloqueado =
    "O cartão não pode ser acessado porque o número máximo de tentativas de entrada de PIN foi "
    "atingido";
constexpr unsigned long kWrongChv = 0x8010006BUL;  // SCARD_W_WRONG_CHV

std::string DataCurta(double dataHora) {
  const DateTimeParts partes = decodeDateTime(dataHora);
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", partes.day, partes.month, partes.year);
  return text;
}

// Whether the store keeps a private key beside the certificate (its key provider information).
bool TemChave(PCCERT_CONTEXT certificate) {
  return !InformacaoProvedor(certificate).empty();
}

std::string NomeProvedor(PCCERT_CONTEXT certificate) {
  const std::vector<BYTE> bytes = InformacaoProvedor(certificate);
  if (bytes.empty()) return {};
  const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(bytes.data());
  return info->pwszProvName != nullptr ? Utf8(info->pwszProvName) : std::string();
}

// A key or PIN failure of the provider, with its code. Outside a hash it is its plain text;
// CalcHash adds " , erro: $" and the code, as every failure inside a hash carries its code.
class FalhaPin final : public EDFeExceptionPIN {
 public:
  FalhaPin(const std::string& texto, unsigned long code) : EDFeExceptionPIN(texto), m_code(code) {}
  std::string ComCodigo() const { return std::string(what()) + " , erro: $" + Hex8(m_code); }

 private:
  unsigned long m_code;
};

[[noreturn]] void FalhaExportar(const std::string& texto) {
  throw EDFeException("ExportCertStoreToPFXData: " + texto + " Erro: " + Hex8(GetLastError()));
}

}  // namespace

struct TDFeWinCrypt::Impl {
  CertStorePtr store;  // the system store while open
  std::unique_ptr<CertContext> context;
  bool doStore = false;    // the loaded certificate came from the system store
  ChaveCertificado chave;  // its private key, once acquired
  std::string pfxExportado;
};

TDFeWinCrypt::TDFeWinCrypt(TDFeSSL& AOwner)
    : TDFeSSLCryptClass(AOwner), FImpl(std::make_unique<Impl>()) {}

TDFeWinCrypt::~TDFeWinCrypt() {
  DescarregarCertificado();
}

bool TDFeWinCrypt::StoreAberta() const {
  return FImpl->store != nullptr;
}

// --- store

void TDFeWinCrypt::AbrirStore() {
  if (FImpl->store) return;
  const DWORD local = FpDFeSSL.StoreLocation() == TSSLStoreLocation::slLocalMachine
                          ? CERT_SYSTEM_STORE_LOCAL_MACHINE
                          : CERT_SYSTEM_STORE_CURRENT_USER;
  const std::wstring nome = Utf16(FpDFeSSL.StoreName());
  FImpl->store.reset(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                   local | CERT_STORE_READONLY_FLAG | CERT_STORE_OPEN_EXISTING_FLAG,
                                   nome.c_str()));
  if (!FImpl->store)
    throw EDFeException("TDFeWinCrypt. Erro ao abrir StoreName: " + FpDFeSSL.StoreName() +
                        " Location: " + std::to_string(static_cast<int>(FpDFeSSL.StoreLocation())));
}

void TDFeWinCrypt::FecharStore() noexcept {
  FImpl->store.reset();
}

void TDFeWinCrypt::LerCertificadosStore() {
  FpListaCertificados->Clear();
  const bool estavaAberta = StoreAberta();
  AbrirStore();
  try {
    PCCERT_CONTEXT atual = nullptr;
    while ((atual = CertEnumCertificatesInStore(FImpl->store.get(), atual)) != nullptr) {
      if (!TemChave(atual)) continue;
      try {
        LerDadosCertificado(FpListaCertificados->New(), atual);
      } catch (...) {
        CertFreeCertificateContext(atual);
        throw;
      }
    }
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
    PCCERT_CONTEXT atual = nullptr;
    while ((atual = CertEnumCertificatesInStore(FImpl->store.get(), atual)) != nullptr) {
      if (!TemChave(atual)) continue;
      TDadosCertificado dados;
      try {
        LerDadosCertificado(dados, atual);
      } catch (...) {
        CertFreeCertificateContext(atual);
        throw;
      }
      opcoes.push_back({dados.NumeroSerie(), dados.SubjectName(), dados.IssuerName(),
                        DataCurta(dados.DataVenc()), NomeProvedor(atual)});
    }
  } catch (...) {
    DescarregarCertificado();
    throw;
  }
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
  FImpl->chave = ChaveCertificado();
  FImpl->context.reset();
  FImpl->doStore = false;
  FImpl->pfxExportado.clear();
  FpDadosCertificado->Clear();
  FpCertificadoLido = false;
}

void TDFeWinCrypt::CarregarCertificado() {
  LiberarCertificado();

  if (FpDFeSSL.DadosPFX().empty() && !FpDFeSSL.ArquivoPFX().empty()) {
    const std::filesystem::path arquivo(Utf16(FpDFeSSL.ArquivoPFX()));
    std::error_code erro;
    if (!std::filesystem::exists(arquivo, erro))
      throw EDFeException("Arquivo: " + FpDFeSSL.ArquivoPFX() + " não encontrado");
    FpDFeSSL.SetDadosPFX(LerArquivoPFX(arquivo, FpDFeSSL.ArquivoPFX()));
  }

  if (!FpDFeSSL.DadosPFX().empty()) {
    const SecureString senha = FpDFeSSL.Senha();
    ConteudoPFX pfx = AbrirPFX(FpDFeSSL.DadosPFX(), senha.str());
    FImpl->context = std::make_unique<CertContext>();
    FImpl->context->keepAlive = std::shared_ptr<void>(pfx.store.release(), &win::CloseStore);
    FImpl->context->certificate = std::move(pfx.certificate);
  } else {
    if (FpDFeSSL.NumeroSerie().empty())
      throw EDFeException("DadosPFX, ArquivoPFX ou NumeroSerie não especificados !");
    AbrirStore();
    PCCERT_CONTEXT atual = nullptr;
    while ((atual = CertEnumCertificatesInStore(FImpl->store.get(), atual)) != nullptr) {
      if (!MesmoNumeroSerie(FpDFeSSL.NumeroSerie(), NumeroSerieCertificado(atual))) continue;
      FImpl->context = std::make_unique<CertContext>();
      FImpl->context->certificate.reset(atual);  // the enumeration's reference becomes ours
      FImpl->doStore = true;
      break;
    }
    if (!FImpl->context)
      throw EDFeException("Certificado \"" + FpDFeSSL.NumeroSerie() + "\" não encontrado!");
  }
  if (!FImpl->context || !FImpl->context->certificate)
    throw EDFeException("Certificado Digital não encontrado!");

  PCCERT_CONTEXT certificado = FImpl->context->certificate.get();
  LerDadosCertificado(*FpDadosCertificado, certificado);
  TSSLTipoCertificado tipo = TSSLTipoCertificado::tpcDesconhecido;
  try {
    FImpl->chave = AdquirirChave(certificado);
    const std::optional<bool> hardware = ChaveEmHardware(FImpl->chave);
    if (hardware) tipo = *hardware ? TSSLTipoCertificado::tpcA3 : TSSLTipoCertificado::tpcA1;
  } catch (const EDFeException&) {
    // The type stays unknown; signing reports the key's failure when it needs the key.
  }
  FpDadosCertificado->SetTipo(tipo);
  FpCertificadoLido = true;

  const TokenEnvironment* ambiente = FpDFeSSL.TokenEnv();
  if (tipo == TSSLTipoCertificado::tpcA3 && !FpDFeSSL.Senha().empty() &&
      (ambiente == nullptr || !ambiente->PinListContains(FpDadosCertificado->NumeroSerie())))
    DefinirPIN(false);
}

// Hands the configured password to the loaded certificate's hardware key. With `reportarTudo`
// false only a wrong or a blocked PIN fails. A PIN the key rejected before in this process is
// not handed over again: it fails as wrong at once.
void TDFeWinCrypt::DefinirPIN(bool reportarTudo) {
  if (!FImpl->chave) FImpl->chave = AdquirirChave(FImpl->context->certificate.get());
  TokenEnvironment* ambiente = FpDFeSSL.TokenEnv();
  const std::string numeroSerie = FpDadosCertificado->NumeroSerie();
  const std::string nomeChave = FpDadosCertificado->ThumbPrint();
  const SecureString pin(FpDFeSSL.Senha());

  unsigned long code = kWrongChv;
  if (ambiente == nullptr || !ambiente->PinRecusado(nomeChave, pin)) {
    code = EntregarPIN(FImpl->chave, pin);
    if (ambiente != nullptr && RespostaPINDe(code) == RespostaPIN::Errado)
      ambiente->RegistrarPinRecusado(nomeChave, pin);
  }
  switch (RespostaPINDe(code)) {
    case RespostaPIN::Aceito:
      if (ambiente != nullptr && !pin.empty()) ambiente->PinListAdd(numeroSerie);
      return;
    case RespostaPIN::Errado:
    case RespostaPIN::Bloqueado: {
      const char* mensagem =
          RespostaPINDe(code) == RespostaPIN::Errado ? kMsgPinErrado : kMsgPinBloqueado;
      // The stored password goes (which unloads this certificate): it is never handed over
      // again by itself.
      FpDFeSSL.SetSenha("");
      throw FalhaPin(mensagem, code);
    }
    case RespostaPIN::Outro:
      if (reportarTudo)
        throw FalhaPin("Falha ao Definir PIN do Certificado. Erro: " + Hex8(code), code);
      return;
  }
}

void TDFeWinCrypt::DescarregarCertificado() {
  TokenEnvironment* ambiente = FpDFeSSL.TokenEnv();
  if (FImpl->context && ambiente != nullptr &&
      ambiente->PinListContains(FpDadosCertificado->NumeroSerie())) {
    // The PIN is withdrawn from the provider; a failure to do so changes nothing here.
    if (FImpl->chave) {
      try {
        EntregarPIN(FImpl->chave, SecureString());
      } catch (const EDFeException&) {
      }
    }
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
  CertPtr certificado = CertificadoDeDER(*der);
  if (!certificado) return false;
  LerDadosCertificado(*FpDadosCertificado, certificado.get());
  FImpl->context = std::make_unique<CertContext>();
  FImpl->context->certificate = std::move(certificado);
  return !FpDadosCertificado->SubjectName().empty();
}

// --- what signing and TLS use

const CertContext* TDFeWinCrypt::GetCertContextWinApi() {
  if (!FImpl->context) CarregarCertificado();
  return FImpl->context.get();
}

std::string TDFeWinCrypt::GetCertPFXData() {
  if (!FpDFeSSL.DadosPFX().empty()) return FpDFeSSL.DadosPFX();
  if (!FImpl->pfxExportado.empty()) return FImpl->pfxExportado;
  if (!FImpl->context) CarregarCertificado();
  PCCERT_CONTEXT certificado = FImpl->context->certificate.get();

  const CertStorePtr memoria(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
  if (!memoria) FalhaExportar("Falha Criando Store.");
  const auto adicionar = [&](PCCERT_CONTEXT c) {
    if (!CertAddCertificateContextToStore(memoria.get(), c, CERT_STORE_ADD_REPLACE_EXISTING,
                                          nullptr))
      FalhaExportar("Falha Importanto Certificado na Store.");
  };
  adicionar(certificado);
  const std::wstring senha = Utf16(FpDFeSSL.Senha().str());
  CRYPT_DATA_BLOB blob{};
  constexpr DWORD kComChave = EXPORT_PRIVATE_KEYS | PKCS12_INCLUDE_EXTENDED_PROPERTIES;
  if (!PFXExportCertStoreEx(memoria.get(), &blob, senha.c_str(), nullptr,
                            kComChave | REPORT_NOT_ABLE_TO_EXPORT_PRIVATE_KEY))
    throw EDFeExceptionNoPrivateKey("Certificado não permite Exportar Chave Privada.");

  PCCERT_CHAIN_CONTEXT cadeia = nullptr;
  CERT_CHAIN_PARA parametros{};
  parametros.cbSize = sizeof parametros;
  if (!CertGetCertificateChain(nullptr, certificado, nullptr, nullptr, &parametros, 0, nullptr,
                               &cadeia))
    FalhaExportar("Falha obtendo a cadeia de Certificados.");
  const std::unique_ptr<const CERT_CHAIN_CONTEXT, CFree<&CertFreeCertificateChain>> owner(cadeia);
  if (cadeia->cChain > 0)
    for (DWORD i = 0; i < cadeia->rgpChain[0]->cElement; ++i)
      adicionar(cadeia->rgpChain[0]->rgpElement[i]->pCertContext);
  adicionar(certificado);

  blob = {};
  if (!PFXExportCertStoreEx(memoria.get(), &blob, senha.c_str(), nullptr, kComChave))
    FalhaExportar("Falha em calcular tamanho do buffer.");
  std::string dados(blob.cbData, '\0');
  blob.pbData = reinterpret_cast<BYTE*>(dados.data());
  if (!PFXExportCertStoreEx(memoria.get(), &blob, senha.c_str(), nullptr, kComChave))
    FalhaExportar("Falha em \"PFXExportCertStoreEx\"");
  dados.resize(blob.cbData);
  FImpl->pfxExportado = dados;
  return dados;
}

std::string TDFeWinCrypt::CalcHash(std::string_view data, TSSLDgst Digest, bool Assina) {
  const AlgoritmoHash algoritmo = ObterAlgoritmo(Digest, ClassName());
  const std::string digest = Resumo(algoritmo, data);
  if (!Assina) return digest;

  if (!FImpl->context) CarregarCertificado();
  if (!FImpl->context) throw EDFeException("Certificado não pode ser carregado po MS CryptoAPI");
  try {
    if (!FImpl->chave) FImpl->chave = AdquirirChave(FImpl->context->certificate.get());
  } catch (const EFalhaChave& falha) {
    throw EDFeException(std::string(falha.what()) + " , erro: $" + Hex8(falha.Codigo()));
  } catch (const FalhaPin& falha) {
    throw EDFeExceptionPIN(falha.ComCodigo());
  }
  return AssinarResumo(FImpl->context->certificate.get(), FImpl->chave, algoritmo, digest);
}

bool TDFeWinCrypt::ValidarHash(std::string_view data, TSSLDgst Digest, std::string_view Hash,
                               bool Assinado) {
  const AlgoritmoHash algoritmo = ObterAlgoritmo(Digest, ClassName());
  const std::string digest = Resumo(algoritmo, data);
  if (!Assinado) return Hash.find(digest) != std::string_view::npos;
  if (!FImpl->context) CarregarCertificado();
  if (!FImpl->context) throw EDFeException("Certificado não pode ser carregado po MS CryptoAPI");
  return VerificarAssinaturaResumo(FImpl->context->certificate.get(), algoritmo, digest, Hash);
}

std::unique_ptr<TDFeSSLCryptClass> CriarCryptClassPlataforma(TDFeSSL& owner) {
  return std::make_unique<TDFeWinCrypt>(owner);
}

}  // namespace luvaro
