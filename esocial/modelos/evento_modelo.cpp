#include "esocial/modelos/evento_modelo.h"

#include <cmath>
#include <cstdio>
#include <exception>

#include "dfe/config/ini_values.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/data_hora.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "esocial/esocial_componente.h"

namespace luvaro {
namespace {

constexpr const char* kDeclaracao = "?xml version=\"1.0\" encoding=\"UTF-8\"?";

}  // namespace

TeSocialEventoModelo::TeSocialEventoModelo(TDFeComponente* AeSocial, TeSocialSchema ASchema,
                                           std::string AElemento)
    : TeSocialEvento(AeSocial, ASchema), FElemento(std::move(AElemento)) {}

bool TeSocialEventoModelo::GerarXML() {
  try {
    const TConfiguracoeseSocial& configuracoes = Owner().Configuracoes();
    SetVersaoDF(configuracoes.Geral().VersaoDF());
    SetId(GerarChaveEsocial(nowLocal(), FIdeEmpregador.NrInsc(), Sequencial()));

    TGerador& gerador = Gerador();
    gerador.SetArquivoFormatoXML("");
    gerador.ListaDeAlertas().clear();
    gerador.Opcoes().FNivelIdentacao = 0;

    const std::string nameSpace = std::string(kNameSpaceBaseeSocial) + "/schema/evt/" + FElemento +
                                  "/v" + TextoDaVersao(VersaoDF());
    Owner().SSL().SetNameSpaceURI(nameSpace);
    gerador.wGrupo(kDeclaracao);
    gerador.wGrupo("eSocial xmlns=\"" + nameSpace + "\"");
    gerador.wGrupo(FElemento + " Id=\"" + Id() + "\"");
    GerarCorpo();
    gerador.wGrupo("/" + FElemento);
    gerador.wGrupo("/eSocial");

    // Signed here, so the assignment keeps the text as it is (no second signing).
    SetXML(Assinar(gerador.ArquivoFormatoXML(), FElemento));
    Validar(schema());
  } catch (const std::exception& e) {
    throw EDFeException("ID: " + Id() + "\r\n " + e.what());
  }
  return !Gerador().ArquivoFormatoXML().empty();
}

bool TeSocialEventoModelo::LerArqIni(const std::string& AIniString) {
  const IniFile ini = LerTextoOuArquivoIni(AIniString);
  const IniSectionReader evento(ini, FElemento);
  SetId(evento.Text("Id"));
  SetSequencial(static_cast<int>(evento.Integer("Sequencial", 0)));

  const IniSectionReader empregador(ini, "ideEmpregador");
  FIdeEmpregador.SetTpInsc(ValorDoCodigo<tpTpInsc>(empregador.Text("tpInsc", "1")));
  FIdeEmpregador.SetNrInsc(empregador.Text("nrInsc"));

  LerIni(ini);
  return GerarXML();
}

TEscritaModelo TeSocialEventoModelo::Escrita(TModoLancamento modo) {
  return {Gerador(), static_cast<int>(VersaoDF()), modo};
}

void TeSocialEventoModelo::GerarIdeEvento(const TIdeEvento& ide) {
  TGerador& g = Gerador();
  g.wGrupo("ideEvento");
  g.wCampo(TTipoCampo::tcStr, "", "tpAmb", 1, 1, 1, CodigoDe(ide.TpAmb));
  g.wCampo(TTipoCampo::tcStr, "", "procEmi", 1, 1, 1, CodigoDe(ide.ProcEmi));
  g.wCampo(TTipoCampo::tcStr, "", "verProc", 1, 20, 1, ide.VerProc);
  g.wGrupo("/ideEvento");
}

void TeSocialEventoModelo::GerarIdeEvento2(const TIdeEvento2& ide) {
  TGerador& g = Gerador();
  g.wGrupo("ideEvento");
  g.wCampo(TTipoCampo::tcStr, "", "indRetif", 1, 1, 1, CodigoDe(ide.IndRetif));
  if (ide.IndRetif == tpIndRetificacao::ireRetificacao) {
    g.wCampo(TTipoCampo::tcStr, "", "nrRecibo", 1, 40, 0, ide.NrRecibo);
  }
  g.wCampo(TTipoCampo::tcStr, "", "tpAmb", 1, 1, 1, CodigoDe(ide.TpAmb));
  g.wCampo(TTipoCampo::tcStr, "", "procEmi", 1, 1, 1, CodigoDe(ide.ProcEmi));
  g.wCampo(TTipoCampo::tcStr, "", "verProc", 1, 20, 1, ide.VerProc);
  g.wGrupo("/ideEvento");
}

void TeSocialEventoModelo::GerarIdeEvento3(const TIdeEvento3& ide, bool comRetificacao) {
  TGerador& g = Gerador();
  g.wGrupo("ideEvento");
  if (comRetificacao) {
    g.wCampo(TTipoCampo::tcStr, "", "indRetif", 1, 1, 1, CodigoDe(ide.IndRetif));
    if (ide.IndRetif == tpIndRetificacao::ireRetificacao) {
      g.wCampo(TTipoCampo::tcStr, "", "nrRecibo", 1, 40, 0, ide.NrRecibo);
    }
  }
  g.wCampo(TTipoCampo::tcStr, "", "indApuracao", 1, 1, 1, CodigoDe(ide.IndApuracao));
  g.wCampo(TTipoCampo::tcStr, "", "perApur", 7, 7, 1, ide.PerApur);
  g.wCampo(TTipoCampo::tcStr, "", "tpAmb", 1, 1, 1, CodigoDe(ide.TpAmb));
  g.wCampo(TTipoCampo::tcStr, "", "procEmi", 1, 1, 1, CodigoDe(ide.ProcEmi));
  g.wCampo(TTipoCampo::tcStr, "", "verProc", 1, 20, 1, ide.VerProc);
  g.wGrupo("/ideEvento");
}

void TeSocialEventoModelo::GerarIdeEmpregador() {
  TGerador& g = Gerador();
  const TEmpregador tipo = Owner().Configuracoes().Geral().TipoEmpregador();
  g.wGrupo("ideEmpregador");
  g.wCampo(TTipoCampo::tcStr, "", "tpInsc", 1, 1, 1, CodigoDe(FIdeEmpregador.TpInsc()));
  if (tipo == TEmpregador::tePessoaJuridica || tipo == TEmpregador::teOrgaoPublico) {
    g.wCampo(TTipoCampo::tcStr, "", "nrInsc", 8, 8, 1, FIdeEmpregador.NrInsc().substr(0, 8));
  } else {
    g.wCampo(TTipoCampo::tcStr, "", "nrInsc", 14, 14, 1, FIdeEmpregador.NrInsc());
  }
  g.wGrupo("/ideEmpregador");
}

void TeSocialEventoModelo::GerarIdePeriodo(const TIdePeriodo& periodo, const std::string& grupo) {
  TGerador& g = Gerador();
  g.wGrupo(grupo);
  g.wCampo(TTipoCampo::tcStr, "", "iniValid", 7, 7, 1, periodo.IniValid);
  g.wCampo(TTipoCampo::tcStr, "", "fimValid", 7, 7, 0, periodo.FimValid);
  g.wGrupo("/" + grupo);
}

void TeSocialEventoModelo::GerarModoAbertura(TModoLancamento modo) {
  Gerador().wGrupo(CodigoDe(modo));
}

void TeSocialEventoModelo::GerarModoFechamento(TModoLancamento modo) {
  Gerador().wGrupo("/" + CodigoDe(modo));
}

void TeSocialEventoModelo::LerIdeEvento(const IniFile& ini, TIdeEvento& ide) {
  const IniSectionReader secao(ini, "ideEvento");
  ide.TpAmb = ValorDoCodigo<TpTpAmb>(secao.Text("tpAmb", "1"));
  ide.ProcEmi = ValorDoCodigo<TpProcEmi>(secao.Text("procEmi", "1"));
  ide.VerProc = secao.Text("verProc");
}

void TeSocialEventoModelo::LerIdeEvento2(const IniFile& ini, TIdeEvento2& ide) {
  const IniSectionReader secao(ini, "ideEvento");
  ide.IndRetif = ValorDoCodigo<tpIndRetificacao>(secao.Text("indRetif", "1"));
  ide.NrRecibo = secao.Text("nrRecibo");
  LerIdeEvento(ini, ide);
}

void TeSocialEventoModelo::LerIdeEvento3(const IniFile& ini, TIdeEvento3& ide) {
  const IniSectionReader secao(ini, "ideEvento");
  ide.IndApuracao = ValorDoCodigo<tpIndApuracao>(secao.Text("indApuracao", "1"));
  ide.PerApur = secao.Text("perApur");
  LerIdeEvento2(ini, ide);
}

void TeSocialEventoModelo::LerIdePeriodo(const IniFile& ini, const std::string& secao,
                                         TIdePeriodo& periodo) {
  const IniSectionReader leitor(ini, secao);
  periodo.IniValid = leitor.Text("iniValid");
  periodo.FimValid = leitor.Text("fimValid");
}

TModoLancamento TeSocialEventoModelo::LerModoLancamento(const IniFile& ini) const {
  return ValorDoCodigo<TModoLancamento>(
      IniSectionReader(ini, FElemento).Text("ModoLancamento", "inclusao"));
}

}  // namespace luvaro
