#include "dfe/config/arquivos_conf.h"

#include <cstdio>
#include <filesystem>

#include "dfe/config/configuracoes.h"
#include "dfe/config/dfe_componente.h"
#include "dfe/config/ini.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/texto.h"

namespace luvaro {
namespace {

constexpr char kDelimitador = static_cast<char>(std::filesystem::path::preferred_separator);

std::string numero(int value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", digits, value);
  return buf;
}

bool terminaComDelimitador(const std::string& path) {
  return !path.empty() && (path.back() == kDelimitador || path.back() == '/');
}

}  // namespace

std::string IncluirDelimitador(const std::string& path) {
  if (path.empty() || terminaComDelimitador(path)) return path;
  return path + kDelimitador;
}

std::string TArquivosConf::PastaPadrao(std::string& campo, const std::string& nome,
                                       bool pasta) const {
  if (trimText(campo).empty()) {
    if (const TDFeComponente* componente = Componente()) {
      campo = componente->PathAplicacao() + nome;
    }
  }
  const std::string valor = trimText(campo);
  return pasta ? IncluirDelimitador(valor) : valor;
}

std::string TArquivosConf::PathSalvar() const {
  return PastaPadrao(FPathSalvar, "Docs", true);
}

std::string TArquivosConf::PathSchemas() const {
  return PastaPadrao(FPathSchemas, "Schemas", true);
}

std::string TArquivosConf::IniServicos() const {
  return PastaPadrao(FIniServicos, fpConfiguracoes->WebServices().ResourceName() + ".ini", false);
}

void TArquivosConf::SetSepararPorMes(bool value) {
  FSepararPorMes = value;
  if (!value) FSepararPorDia = false;
}

void TArquivosConf::SetSepararPorDia(bool value) {
  FSepararPorDia = value;
  if (value) FSepararPorMes = true;
}

std::string TArquivosConf::GetPath(const std::string& APath, const std::string& ALiteral,
                                   const std::string& CNPJ, DateTime Data,
                                   const std::string& ModeloDescr) {
  std::string dir = trimText(APath).empty() ? PathSalvar() : APath;

  if (FOrdenacaoPath.empty()) {
    if (FSepararPorCNPJ) FOrdenacaoPath.emplace_back(TTagOrdenacaoPath::opCNPJ);
    if (FSepararPorModelo) FOrdenacaoPath.emplace_back(TTagOrdenacaoPath::opModelo);
    if (FSepararPorAno || FSepararPorMes || FSepararPorDia) {
      FOrdenacaoPath.emplace_back(TTagOrdenacaoPath::opData);
    }
    if (FAdicionarLiteral) FOrdenacaoPath.emplace_back(TTagOrdenacaoPath::opLiteral);
  }

  const auto acrescentar = [&dir](const std::string& parte) {
    dir = IncluirDelimitador(dir) + parte;
  };
  for (const TOrdenacaoPathItem& item : FOrdenacaoPath) {
    switch (item.Item()) {
      case TTagOrdenacaoPath::opCNPJ: {
        std::string documento = digitsOnly(CNPJ);
        if (documento.empty()) {
          if (TDFeSSL* ssl = SSL()) documento = digitsOnly(ssl->CertCNPJ());
        }
        if (!documento.empty()) acrescentar(documento);
        break;
      }
      case TTagOrdenacaoPath::opModelo: {
        std::string modelo = ModeloDescr;
        if (modelo.empty()) {
          if (TDFeComponente* componente = Componente()) modelo = componente->GetNomeModeloDFe();
        }
        acrescentar(modelo);
        break;
      }
      case TTagOrdenacaoPath::opData: {
        const DateTimeParts p = decodeDateTime(Data == 0 ? nowLocal() : Data);
        if (FSepararPorAno) acrescentar(numero(p.year, 4));
        if (FSepararPorMes || FSepararPorDia) {
          if (FSepararPorAno) {
            acrescentar(numero(p.month, 2));
          } else {
            acrescentar(numero(p.year, 4) + numero(p.month, 2));
          }
        }
        if (FSepararPorDia) acrescentar(numero(p.day, 2));
        break;
      }
      case TTagOrdenacaoPath::opLiteral: {
        std::string semDelimitador = dir;
        while (terminaComDelimitador(semDelimitador)) semDelimitador.pop_back();
        if (!ALiteral.empty() && !semDelimitador.ends_with(ALiteral)) acrescentar(ALiteral);
        break;
      }
      case TTagOrdenacaoPath::opNenhum:
        break;
    }
  }

  std::error_code ec;
  std::filesystem::create_directories(dir, ec);  // a failure shows when the file is saved
  return dir;
}

void TArquivosConf::Assign(const TArquivosConf& De) {
  SetPathSalvar(De.PathSalvar());
  SetPathSchemas(De.PathSchemas());
  SetIniServicos(De.IniServicos());
  SetSalvar(De.Salvar());
  SetAdicionarLiteral(De.AdicionarLiteral());
  SetSepararPorCNPJ(De.SepararPorCNPJ());
  SetSepararPorModelo(De.SepararPorModelo());
  SetSepararPorMes(De.SepararPorMes());
  SetSepararPorDia(De.SepararPorDia());
  FOrdenacaoPath = De.OrdenacaoPath();
}

void TArquivosConf::LerIni(const IniFile& AIni) {
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  SetPathSalvar(AIni.ReadString(sessao, "PathSalvar", PathSalvar()));
  SetPathSchemas(AIni.ReadString(sessao, "PathSchemas", PathSchemas()));
  SetIniServicos(AIni.ReadString(sessao, "IniServicos", IniServicos()));
  SetSalvar(AIni.ReadBool(sessao, "SalvarArq", FSalvar));
  SetAdicionarLiteral(AIni.ReadBool(sessao, "AdicionarLiteral", FAdicionarLiteral));
  SetSepararPorCNPJ(AIni.ReadBool(sessao, "SepararPorCNPJ", FSepararPorCNPJ));
  SetSepararPorModelo(AIni.ReadBool(sessao, "SepararPorModelo", FSepararPorModelo));
  SetSepararPorAno(AIni.ReadBool(sessao, "SepararPorAno", FSepararPorAno));
  SetSepararPorMes(AIni.ReadBool(sessao, "SepararPorMes", FSepararPorMes));
  SetSepararPorDia(AIni.ReadBool(sessao, "SepararPorDia", FSepararPorDia));
}

void TArquivosConf::GravarIni(IniFile& AIni) const {
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  AIni.WriteString(sessao, "PathSalvar", PathSalvar());
  AIni.WriteString(sessao, "PathSchemas", PathSchemas());
  AIni.WriteString(sessao, "IniServicos", IniServicos());
  AIni.WriteBool(sessao, "SalvarArq", FSalvar);
  AIni.WriteBool(sessao, "AdicionarLiteral", FAdicionarLiteral);
  AIni.WriteBool(sessao, "SepararPorCNPJ", FSepararPorCNPJ);
  AIni.WriteBool(sessao, "SepararPorModelo", FSepararPorModelo);
  AIni.WriteBool(sessao, "SepararPorAno", FSepararPorAno);
  AIni.WriteBool(sessao, "SepararPorMes", FSepararPorMes);
  AIni.WriteBool(sessao, "SepararPorDia", FSepararPorDia);
}

}  // namespace luvaro
