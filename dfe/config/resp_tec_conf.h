#pragma once

#include <string>

#include "dfe/config/grupo_conf.h"

namespace luvaro {

// The technical responsible's code; kept and persisted only.
class TRespTecConf : public TGrupoConf {
 public:
  explicit TRespTecConf(TConfiguracoes* AConfiguracoes) : TGrupoConf(AConfiguracoes) {}

  int IdCSRT() const { return FIdCSRT; }
  void SetIdCSRT(int value) { FIdCSRT = value; }
  const std::string& CSRT() const { return FCSRT; }
  void SetCSRT(const std::string& value) { FCSRT = value; }

  virtual void Assign(const TRespTecConf& DeRespTecConf);
  void LerIni(const IniFile& AIni) override;
  void GravarIni(IniFile& AIni) const override;

 private:
  int FIdCSRT = 0;
  std::string FCSRT;
};

}  // namespace luvaro
