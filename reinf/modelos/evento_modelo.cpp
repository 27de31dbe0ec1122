#include "reinf/modelos/evento_modelo.h"

#include <exception>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/data_hora.h"
#include "reinf/reinf_componente.h"

namespace luvaro::reinf {
namespace {

constexpr const char* kDeclaracao = "?xml version=\"1.0\" encoding=\"UTF-8\"?";

}  // namespace

TReinfEventoModelo::TReinfEventoModelo(TReinfComponente& AReinf, TReinfSchema ASchema,
                                       std::string AElemento)
    : TReinfEvento(AReinf), FSchemaModelo(ASchema), FElemento(std::move(AElemento)) {}

TContribuinte TReinfEventoModelo::TipoContribuinte() const {
  return Componente().Configuracoes().Geral().TipoContribuinte();
}

bool TReinfEventoModelo::GerarXML() {
  TGerador& gerador = Gerador();
  try {
    SetVersaoDF(Componente().Configuracoes().Geral().VersaoDF());
    SetId(GerarChaveReinf(nowLocal(), FIdeContri.NrInsc, Sequencial()));

    gerador.SetArquivoFormatoXML("");
    gerador.ListaDeAlertas().clear();
    gerador.Opcoes().FNivelIdentacao = 0;

    EscreverCabecalho(NomeDoSchema(FSchemaModelo));
    gerador.wGrupo(FElemento + " id=\"" + Id() + "\"");
    GerarCorpo();
    gerador.wGrupo("/" + FElemento);
    EscreverRodape();

    // Signed here, so the assignment keeps the text as it is (no second signing).
    SetXML(Assinar(gerador.ArquivoFormatoXML(), FElemento));
    if (ComValidacao()) Validar(FSchemaModelo);
  } catch (const std::exception& e) {
    throw EDFeException(e.what());
  }
  return !gerador.ArquivoFormatoXML().empty();
}

bool TReinfEventoModelo::LerArqIni(const std::string& AIniString) {
  const IniFile ini = LerTextoOuArquivoIni(AIniString);
  const IniSectionReader evento(ini, FElemento);
  SetId(evento.Text("Id"));
  SetSequencial(static_cast<int>(evento.Integer("Sequencial", 0)));

  const IniSectionReader contribuinte(ini, "ideContri");
  FIdeContri.TpInsc = StrToTpInsc(contribuinte.Text("tpInsc", "1"));
  FIdeContri.NrInsc = contribuinte.Text("nrInsc");
  FIdeContri.OrgaoPublico = TipoContribuinte() == TContribuinte::tcOrgaoPublico;

  LerIni(ini);
  return GerarXML();
}

TEscritaModelo TReinfEventoModelo::Escrita(TTipoOperacao modo) {
  // The generated writers count layouts from 1.03.00, the first with models.
  const int versao = static_cast<int>(VersaoDF()) - static_cast<int>(TVersaoReinf::v1_03_00);
  return {Gerador(), versao < 0 ? 0 : versao, modo};
}

void TReinfEventoModelo::EscreverCabecalho(const std::string& schemaBase) {
  const std::string nameSpace = std::string(kNameSpaceBaseSchemas) + "/" + schemaBase + "/v" +
                                TextoDaVersao(Componente().Configuracoes().Geral().VersaoDF());
  Componente().SSL().SetNameSpaceURI(nameSpace);
  Gerador().wGrupo(kDeclaracao);
  Gerador().wGrupo("Reinf xmlns=\"" + nameSpace + "\"");
}

void TReinfEventoModelo::EscreverRodape() {
  Gerador().wGrupo("/Reinf");
}

void TReinfEventoModelo::EscreverIdeEvento(const TIdeEvento& ide, bool comGrupo) {
  TGerador& g = Gerador();
  if (comGrupo) g.wGrupo("ideEvento");
  g.wCampo(TTipoCampo::tcStr, "", "tpAmb", 1, 1, 1, CodigoDe(ide.TpAmb));
  g.wCampo(TTipoCampo::tcStr, "", "procEmi", 1, 1, 1, CodigoDe(ide.ProcEmi));
  g.wCampo(TTipoCampo::tcStr, "", "verProc", 1, 20, 1, ide.VerProc);
  if (comGrupo) g.wGrupo("/ideEvento");
}

void TReinfEventoModelo::EscreverIdeEventoPeriodo(const TIdeEvento2& ide, bool comGrupo,
                                                  bool comRetif) {
  TGerador& g = Gerador();
  if (comGrupo) g.wGrupo("ideEvento");
  if (comRetif) g.wCampo(TTipoCampo::tcStr, "", "indRetif", 1, 1, 1, CodigoDe(ide.indRetif));
  if (CodigoDe(ide.indRetif) == "2") {
    g.wCampo(TTipoCampo::tcStr, "", "nrRecibo", 1, 40, 0, ide.NrRecibo);
  }
  g.wCampo(TTipoCampo::tcStr, "", "perApur", 7, 7, 1, ide.perApur);
  if (comGrupo) {
    EscreverIdeEvento(ide, false);
    g.wGrupo("/ideEvento");
  }
}

void TReinfEventoModelo::EscreverIdeEventoData(const TIdeEvento3& ide) {
  TGerador& g = Gerador();
  g.wGrupo("ideEvento");
  g.wCampo(TTipoCampo::tcStr, "", "indRetif", 1, 1, 1, CodigoDe(ide.indRetif));
  if (ide.indRetif == TIndRetificacao::trRetificacao) {
    g.wCampo(TTipoCampo::tcStr, "", "nrRecibo", 1, 40, 0, ide.NrRecibo);
  }
  g.wCampo(TTipoCampo::tcDat, "", "dtApuracao", 10, 10, 1, Variant::Date(ide.dtApuracao));
  EscreverIdeEvento(ide, false);
  g.wGrupo("/ideEvento");
}

void TReinfEventoModelo::EscreverIdeContri(const TideContri& ide, bool comGrupo) {
  TGerador& g = Gerador();
  if (comGrupo) g.wGrupo("ideContri");
  g.wCampo(TTipoCampo::tcStr, "", "tpInsc", 1, 1, 1, CodigoDe(ide.TpInsc));
  const TContribuinte tipo = TipoContribuinte();
  if (tipo == TContribuinte::tcOrgaoPublico || tipo == TContribuinte::tcPessoaFisica) {
    g.wCampo(TTipoCampo::tcStr, "", "nrInsc", 14, 14, 1, ide.NrInsc);
  } else {
    g.wCampo(TTipoCampo::tcStr, "", "nrInsc", 8, 8, 1, ide.NrInsc.substr(0, 8));
  }
  if (comGrupo) g.wGrupo("/ideContri");
}

void TReinfEventoModelo::AbrirOperacao(TTipoOperacao modo) {
  Gerador().wGrupo(CodigoDe(modo));
}

void TReinfEventoModelo::FecharOperacao(TTipoOperacao modo) {
  Gerador().wGrupo("/" + CodigoDe(modo));
}

void TReinfEventoModelo::EscreverPeriodo(const TidePeriodo& periodo, const std::string& grupo) {
  TGerador& g = Gerador();
  g.wGrupo(grupo);
  g.wCampo(TTipoCampo::tcStr, "", "iniValid", 7, 7, 1, periodo.IniValid);
  g.wCampo(TTipoCampo::tcStr, "", "fimValid", 7, 7, 0, periodo.FimValid);
  g.wGrupo("/" + grupo);
}

void TReinfEventoModelo::LerIdeEvento(const IniFile& ini, TIdeEvento& ide) {
  const IniSectionReader secao(ini, "ideEvento");
  ide.TpAmb = ValorDoCodigo<TtpAmb>(secao.Text("tpAmb", "1"));
  ide.ProcEmi = ValorDoCodigo<TprocEmi>(secao.Text("procEmi", "1"));
  ide.VerProc = secao.Text("verProc");
}

void TReinfEventoModelo::LerIdeEvento2(const IniFile& ini, TIdeEvento2& ide) {
  const IniSectionReader secao(ini, "ideEvento");
  ide.indRetif = ValorDoCodigo<TIndRetificacao>(secao.Text("indRetif", "1"));
  ide.NrRecibo = secao.Text("nrRecibo");
  ide.perApur = secao.Text("perApur");
  LerIdeEvento(ini, ide);
}

void TReinfEventoModelo::LerIdeEvento3(const IniFile& ini, TIdeEvento3& ide) {
  const IniSectionReader secao(ini, "ideEvento");
  ide.indRetif = ValorDoCodigo<TIndRetificacao>(secao.Text("indRetif", "1"));
  ide.NrRecibo = secao.Text("nrRecibo");
  ide.dtApuracao = secao.Date("dtApuracao");
  LerIdeEvento(ini, ide);
}

void TReinfEventoModelo::LerPeriodo(const IniFile& ini, const std::string& secao,
                                    TidePeriodo& periodo) {
  const IniSectionReader leitor(ini, secao);
  periodo.IniValid = leitor.Text("iniValid");
  periodo.FimValid = leitor.Text("fimValid");
}

TTipoOperacao TReinfEventoModelo::LerModoLancamento(const IniFile& ini) const {
  return ValorDoCodigo<TTipoOperacao>(
      IniSectionReader(ini, FElemento).Text("ModoLancamento", "inclusao"));
}

}  // namespace luvaro::reinf
