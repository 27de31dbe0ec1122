#pragma once

#include <string>

namespace luvaro {

// The INI section shared by every component: back-ends, state, time zone, proxy, certificate.
inline constexpr const char* kSessaoDFe = "DFe";

class IniFile;
class TConfiguracoes;
class TDFeComponente;
class TDFeSSL;

// What the five configuration groups share: the back pointer to their configuration and,
// through its owner, the component's security facade into which they write through.
class TGrupoConf {
 public:
  explicit TGrupoConf(TConfiguracoes* AConfiguracoes) : fpConfiguracoes(AConfiguracoes) {}
  virtual ~TGrupoConf() = default;
  TGrupoConf(const TGrupoConf&) = delete;  // a group belongs to one configuration
  TGrupoConf& operator=(const TGrupoConf&) = delete;

  virtual void LerIni(const IniFile& AIni) = 0;
  virtual void GravarIni(IniFile& AIni) const = 0;

  TConfiguracoes* Configuracoes() const { return fpConfiguracoes; }

 protected:
  // The owning component and its facade; null while the configuration has no owner or the
  // component is still being built.
  TDFeComponente* Componente() const;
  TDFeSSL* SSL() const;
  // The component's own INI section ("" in the base configuration).
  const std::string& SessaoIni() const;

  TConfiguracoes* fpConfiguracoes;
};

}  // namespace luvaro
