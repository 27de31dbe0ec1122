#pragma once

#include <string>
#include <vector>

#include "dfe/config/config_types.h"
#include "dfe/config/grupo_conf.h"
#include "dfe/xml/data_hora.h"

namespace luvaro {

// One part of the path of saved files.
class TOrdenacaoPathItem {
 public:
  TOrdenacaoPathItem() = default;
  explicit TOrdenacaoPathItem(TTagOrdenacaoPath item) : FItem(item) {}
  TTagOrdenacaoPath Item() const { return FItem; }
  void SetItem(TTagOrdenacaoPath value) { FItem = value; }
  const char* DisplayName() const { return NomeTagOrdenacaoPath(FItem); }

 private:
  TTagOrdenacaoPath FItem = TTagOrdenacaoPath::opNenhum;
};

// Folders of saved messages, schemas and the external service table, and how saved files are
// sorted into sub-folders.
class TArquivosConf : public TGrupoConf {
 public:
  explicit TArquivosConf(TConfiguracoes* AConfiguracoes) : TGrupoConf(AConfiguracoes) {}

  // Each folder getter computes its default once (application folder + "Docs", "Schemas",
  // ResourceName + ".ini") and returns the stored value trimmed, with a trailing delimiter.
  std::string PathSalvar() const;
  void SetPathSalvar(const std::string& value) { FPathSalvar = value; }
  std::string PathSchemas() const;
  void SetPathSchemas(const std::string& value) { FPathSchemas = value; }
  // The external service table (a file, so no delimiter is added).
  std::string IniServicos() const;
  void SetIniServicos(const std::string& value) { FIniServicos = value; }
  bool Salvar() const { return FSalvar; }
  void SetSalvar(bool value) { FSalvar = value; }
  bool AdicionarLiteral() const { return FAdicionarLiteral; }
  void SetAdicionarLiteral(bool value) { FAdicionarLiteral = value; }
  bool SepararPorCNPJ() const { return FSepararPorCNPJ; }
  void SetSepararPorCNPJ(bool value) { FSepararPorCNPJ = value; }
  bool SepararPorModelo() const { return FSepararPorModelo; }
  void SetSepararPorModelo(bool value) { FSepararPorModelo = value; }
  bool SepararPorAno() const { return FSepararPorAno; }
  void SetSepararPorAno(bool value) { FSepararPorAno = value; }
  bool SepararPorMes() const { return FSepararPorMes; }
  // false also clears SepararPorDia.
  void SetSepararPorMes(bool value);
  bool SepararPorDia() const { return FSepararPorDia; }
  // true also sets SepararPorMes.
  void SetSepararPorDia(bool value);
  std::vector<TOrdenacaoPathItem>& OrdenacaoPath() { return FOrdenacaoPath; }
  const std::vector<TOrdenacaoPathItem>& OrdenacaoPath() const { return FOrdenacaoPath; }

  // The folder for a saved file: APath (or PathSalvar) followed by the parts that
  // OrdenacaoPath names (filled once from the flags when empty). The folder is created when
  // missing; a folder that cannot be created is still returned (saving then reports it).
  std::string GetPath(const std::string& APath, const std::string& ALiteral,
                      const std::string& CNPJ = "", DateTime Data = 0,
                      const std::string& ModeloDescr = "");

  virtual void Assign(const TArquivosConf& DeArquivosConf);
  void LerIni(const IniFile& AIni) override;
  void GravarIni(IniFile& AIni) const override;

 private:
  std::string PastaPadrao(std::string& campo, const std::string& nome, bool pasta) const;

  mutable std::string FPathSalvar;
  mutable std::string FPathSchemas;
  mutable std::string FIniServicos;
  bool FSalvar = true;
  bool FAdicionarLiteral = false;
  bool FSepararPorCNPJ = false;
  bool FSepararPorModelo = false;
  bool FSepararPorAno = false;
  bool FSepararPorMes = false;
  bool FSepararPorDia = false;
  std::vector<TOrdenacaoPathItem> FOrdenacaoPath;
};

// The path with one trailing delimiter ("" stays "").
std::string IncluirDelimitador(const std::string& path);

}  // namespace luvaro
