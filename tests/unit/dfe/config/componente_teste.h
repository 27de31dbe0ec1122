#pragma once

#include <memory>
#include <string>

#include "dfe/config/configuracoes.h"
#include "dfe/config/dfe_componente.h"

namespace luvaro::test {

// A derived configuration and component as the protocol components make them: their own INI
// section and service table, and the second construction step that makes overrides count.
class TConfiguracoesTeste : public TConfiguracoes {
 public:
  explicit TConfiguracoesTeste(TDFeComponente* AOwner) : TConfiguracoes(AOwner) {
    FPSessaoIni = "Teste";
    WebServices().SetResourceName("ReinfServicos");
    CriarGrupos();
  }
};

class TComponenteTeste : public TDFeComponente {
 public:
  explicit TComponenteTeste(const std::string& PathAplicacao) : TDFeComponente(PathAplicacao) {
    InicializarConfiguracoes();
  }
  std::string GetNomeModeloDFe() override { return "Teste"; }
  std::string GetNameSpaceURI() override { return " http://exemplo/ns"; }
  // Every service has a schema named after it, as the protocol components do.
  std::string NomeServicoParaSchema(const std::string& NomeServico) override {
    return FSchemaDoServico ? NomeServico : std::string();
  }
  bool FSchemaDoServico = false;

 protected:
  std::unique_ptr<TConfiguracoes> CriarConfiguracoes() override {
    return std::make_unique<TConfiguracoesTeste>(this);
  }
};

}  // namespace luvaro::test
