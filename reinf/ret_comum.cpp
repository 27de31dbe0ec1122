#include "reinf/ret_comum.h"

#include "dfe/config/ini_values.h"

namespace luvaro::reinf {
namespace leitura {

std::string Texto(TLeitor& leitor, const char* tag) {
  return leitor.rCampo(TTipoCampo::tcStr, tag).AsString();
}

std::int64_t Inteiro(TLeitor& leitor, const char* tag) {
  return leitor.rCampo(TTipoCampo::tcInt, tag).AsInteger().value_or(0);
}

double Valor(TLeitor& leitor, const char* tag) {
  return leitor.rCampo(TTipoCampo::tcDe2, tag).AsFloat().value_or(0.0);
}

void LerIdeStatus(TLeitor& leitor, int nivel, TideStatus& destino) {
  if (leitor.rExtrai(nivel, "ideStatus").empty()) return;
  destino.cdRetorno = Texto(leitor, "cdRetorno");
  destino.descRetorno = Texto(leitor, "descRetorno");
  ParaCada(leitor, nivel + 1, "regOcorrs", [&] {
    TregOcorrsCollectionItem& item = destino.regOcorrs.emplace_back();
    item.tpOcorr = Inteiro(leitor, "tpOcorr");
    item.localErroAviso = Texto(leitor, "localErroAviso");
    item.codResp = Texto(leitor, "codResp");
    item.dscResp = Texto(leitor, "dscResp");
  });
}

void LerInfoRecEv(TLeitor& leitor, int nivel, TInfoRecEv& destino) {
  if (leitor.rExtrai(nivel, "infoRecEv").empty()) return;
  destino.nrProtEntr = Texto(leitor, "nrProtEntr");
  destino.dhProcess = leitor.rCampo(TTipoCampo::tcDatHor, "dhProcess").AsDateTime();
  destino.tpEv = Texto(leitor, "tpEv");
  destino.idEv = Texto(leitor, "idEv");
  destino.hash = Texto(leitor, "hash");
}

void LerIdeContri(TLeitor& leitor, int nivel, TInscricao& destino) {
  if (leitor.rExtrai(nivel, "ideContri").empty()) return;
  destino.TpInsc = StrToTpInsc(Texto(leitor, "tpInsc"));
  destino.NrInsc = Texto(leitor, "nrInsc");
}

void LerRTom(TLeitor& leitor, int nivel, TRTom& destino) {
  destino.cnpjPrestador = Texto(leitor, "cnpjPrestador");
  destino.vlrTotalBaseRet = Valor(leitor, "vlrTotalBaseRet");
  destino.vlrTotalRetPrinc = Valor(leitor, "vlrTotalRetPrinc");
  destino.vlrTotalRetAdic = Valor(leitor, "vlrTotalRetAdic");
  destino.vlrTotalNRetPrinc = Valor(leitor, "vlrTotalNRetPrinc");
  destino.vlrTotalNRetAdic = Valor(leitor, "vlrTotalNRetAdic");
  ParaCada(leitor, nivel + 1, "infoCRTom", [&] {
    TInfoCRTomCollectionItem& item = destino.infoCRTom.emplace_back();
    item.CRTom = Texto(leitor, "CRTom");
    item.VlrCRTom = Valor(leitor, "VlrCRTom");
    item.VlrCRTomSusp = Valor(leitor, "VlrCRTomSusp");
  });
}

void LerRPrest(TLeitor& leitor, TRPrest& destino) {
  destino.tpInscTomador = StrToTpInsc(Texto(leitor, "tpInscTomador"));
  destino.nrInscTomador = Texto(leitor, "nrInscTomador");
  destino.vlrTotalBaseRet = Valor(leitor, "vlrTotalBaseRet");
  destino.vlrTotalRetPrinc = Valor(leitor, "vlrTotalRetPrinc");
  destino.vlrTotalRetAdic = Valor(leitor, "vlrTotalRetAdic");
  destino.vlrTotalNRetPrinc = Valor(leitor, "vlrTotalNRetPrinc");
  destino.vlrTotalNRetAdic = Valor(leitor, "vlrTotalNRetAdic");
}

void LerRRecRepAD(TLeitor& leitor, TRRecRepADCollectionItem& destino) {
  destino.cnpjAssocDesp = Texto(leitor, "cnpjAssocDesp");
  destino.vlrTotalRep = Valor(leitor, "vlrTotalRep");
  destino.vlrTotalRet = Valor(leitor, "vlrTotalRet");
  destino.vlrTotalNRet = Valor(leitor, "vlrTotalNRet");
  destino.CRRecRepAD = Texto(leitor, "CRRecRepAD");
  destino.vlrCRRecRepAD = Valor(leitor, "vlrCRRecRepAD");
  destino.vlrCRRecRepADSusp = Valor(leitor, "vlrCRRecRepADSusp");
}

void LerRComl(TLeitor& leitor, TRComlCollectionItem& destino) {
  destino.vlrCPApur = Valor(leitor, "vlrCPApur");
  destino.vlrRatApur = Valor(leitor, "vlrRatApur");
  destino.vlrSenarApur = Valor(leitor, "vlrSenarApur");
  destino.vlrCPSusp = Valor(leitor, "vlrCPSusp");
  destino.vlrRatSusp = Valor(leitor, "vlrRatSusp");
  destino.vlrSenarSusp = Valor(leitor, "vlrSenarSusp");
  destino.CRComl = Texto(leitor, "CRComl");
  destino.vlrCRComl = Valor(leitor, "vlrCRComl");
  destino.vlrCRComlSusp = Valor(leitor, "vlrCRComlSusp");
}

void LerRCPRB(TLeitor& leitor, TRCPRBCollectionItem& destino) {
  destino.codRec = Inteiro(leitor, "codRec");
  destino.vlrCPApurTotal = Valor(leitor, "vlrCPApurTotal");
  destino.vlrCPRBSusp = Valor(leitor, "vlrCPRBSusp");
  destino.CRCPRB = Texto(leitor, "CRCPRB");
  destino.vlrCRCPRB = Valor(leitor, "vlrCRCPRB");
  destino.vlrCRCPRBSusp = Valor(leitor, "vlrCRCPRBSusp");
}

void LerRRecEspetDesp(TLeitor& leitor, TRRecEspetDesp& destino) {
  destino.vlrReceitaTotal = Valor(leitor, "vlrReceitaTotal");
  destino.vlrCPApurTotal = Valor(leitor, "vlrCPApurTotal");
  destino.vlrCPSuspTotal = Valor(leitor, "vlrCPSuspTotal");
  destino.CRRecEspetDesp = Texto(leitor, "CRRecEspetDesp");
  destino.vlrCRRecEspetDesp = Valor(leitor, "vlrCRRecEspetDesp");
  destino.vlrCRRecEspetDespSusp = Valor(leitor, "vlrCRRecEspetDespSusp");
}

}  // namespace leitura

namespace escrita {

void SalvarIdeContri(IniFile& ini, const TInscricao& origem) {
  IniSectionWriter(ini, "ideContri")
      .Text("tpInsc", TpInscToStr(origem.TpInsc))
      .Text("nrInsc", origem.NrInsc);
}

void SalvarIdeStatus(IniFile& ini, const TideStatus& origem) {
  IniSectionWriter(ini, "ideStatus")
      .Text("cdRetorno", origem.cdRetorno)
      .Text("descRetorno", origem.descRetorno);
  int n = 0;
  for (const TregOcorrsCollectionItem& item : origem.regOcorrs) {
    IniSectionWriter(ini, IniSectionName("regOcorrs", {{n++, 3}}))
        .Integer("tpOcorr", item.tpOcorr)
        .Text("localErroAviso", item.localErroAviso)
        .Text("codResp", item.codResp)
        .Text("dscResp", item.dscResp);
  }
}

void SalvarInfoRecEv(IniFile& ini, const TInfoRecEv& origem) {
  IniSectionWriter(ini, "infoRecEv")
      .Text("nrProtEntr", origem.nrProtEntr)
      .DateAndTime("dhProcess", origem.dhProcess)
      .Text("tpEv", origem.tpEv)
      .Text("idEv", origem.idEv)
      .Text("hash", origem.hash);
}

void SalvarRTom(IniFile& ini, const TRTom& origem, int numero) {
  const std::string sufixo = numero < 0 ? "" : IniSectionName("", {{numero, 3}});
  IniSectionWriter(ini, "RTom" + sufixo)
      .Text("cnpjPrestador", origem.cnpjPrestador)
      .Decimal("vlrTotalBaseRet", origem.vlrTotalBaseRet)
      .Decimal("vlrTotalRetPrinc", origem.vlrTotalRetPrinc)
      .Decimal("vlrTotalRetAdic", origem.vlrTotalRetAdic)
      .Decimal("vlrTotalNRetPrinc", origem.vlrTotalNRetPrinc)
      .Decimal("vlrTotalNRetAdic", origem.vlrTotalNRetAdic);
  int n = 0;
  for (const TInfoCRTomCollectionItem& item : origem.infoCRTom) {
    IniSectionWriter(ini, IniSectionName("infoCRTom" + sufixo, {{n++, 1}}))
        .Text("CRTom", item.CRTom)
        .Decimal("VlrCRTom", item.VlrCRTom)
        .Decimal("VlrCRTomSusp", item.VlrCRTomSusp);
  }
}

void SalvarRPrest(IniFile& ini, const TRPrest& origem, const std::string& secao) {
  IniSectionWriter(ini, secao)
      .Text("tpInscTomador", TpInscToStr(origem.tpInscTomador))
      .Text("nrInscTomador", origem.nrInscTomador)
      .Decimal("vlrTotalBaseRet", origem.vlrTotalBaseRet)
      .Decimal("vlrTotalRetPrinc", origem.vlrTotalRetPrinc)
      .Decimal("vlrTotalRetAdic", origem.vlrTotalRetAdic)
      .Decimal("vlrTotalNRetPrinc", origem.vlrTotalNRetPrinc)
      .Decimal("vlrTotalNRetAdic", origem.vlrTotalNRetAdic);
}

void SalvarRRecEspetDesp(IniFile& ini, const TRRecEspetDesp& origem) {
  IniSectionWriter(ini, "RRecEspetDesp")
      .Decimal("vlrReceitaTotal", origem.vlrReceitaTotal)
      .Decimal("vlrCPApurTotal", origem.vlrCPApurTotal)
      .Decimal("vlrCPSuspTotal", origem.vlrCPSuspTotal)
      .Text("CRRecEspetDesp", origem.CRRecEspetDesp)
      .Decimal("vlrCRRecEspetDesp", origem.vlrCRRecEspetDesp)
      .Decimal("vlrCRRecEspetDespSusp", origem.vlrCRRecEspetDespSusp);
}

namespace {

void SalvarRRecRepAD(IniFile& ini, const TRRecRepADCollectionItem& origem,
                     const std::string& secao) {
  IniSectionWriter(ini, secao)
      .Text("cnpjAssocDesp", origem.cnpjAssocDesp)
      .Decimal("vlrTotalRep", origem.vlrTotalRep)
      .Decimal("vlrTotalRet", origem.vlrTotalRet)
      .Decimal("vlrTotalNRet", origem.vlrTotalNRet)
      .Text("CRRecRepAD", origem.CRRecRepAD)
      .Decimal("vlrCRRecRepAD", origem.vlrCRRecRepAD)
      .Decimal("vlrCRRecRepADSusp", origem.vlrCRRecRepADSusp);
}

void SalvarRComl(IniFile& ini, const TRComlCollectionItem& origem, const std::string& secao) {
  IniSectionWriter(ini, secao)
      .Decimal("vlrCPApur", origem.vlrCPApur)
      .Decimal("vlrRatApur", origem.vlrRatApur)
      .Decimal("vlrSenarApur", origem.vlrSenarApur)
      .Decimal("vlrCPSusp", origem.vlrCPSusp)
      .Decimal("vlrRatSusp", origem.vlrRatSusp)
      .Decimal("vlrSenarSusp", origem.vlrSenarSusp)
      .Text("CRComl", origem.CRComl)
      .Decimal("vlrCRComl", origem.vlrCRComl)
      .Decimal("vlrCRComlSusp", origem.vlrCRComlSusp);
}

void SalvarRCPRB(IniFile& ini, const TRCPRBCollectionItem& origem, const std::string& secao) {
  IniSectionWriter(ini, secao)
      .Integer("codRec", origem.codRec)
      .Decimal("vlrCPApurTotal", origem.vlrCPApurTotal)
      .Decimal("vlrCPRBSusp", origem.vlrCPRBSusp)
      .Text("CRCPRB", origem.CRCPRB)
      .Decimal("vlrCRCPRB", origem.vlrCRCPRB)
      .Decimal("vlrCRCPRBSusp", origem.vlrCRCPRBSusp);
}

}  // namespace

void SalvarListas(IniFile& ini, const std::vector<TRRecRepADCollectionItem>& RRecRepAD,
                  const std::vector<TRComlCollectionItem>& RComl,
                  const std::vector<TRCPRBCollectionItem>& RCPRB) {
  int n = 0;
  for (const TRRecRepADCollectionItem& item : RRecRepAD)
    SalvarRRecRepAD(ini, item, IniSectionName("RRecRepAD", {{n++, 3}}));
  n = 0;
  for (const TRComlCollectionItem& item : RComl)
    SalvarRComl(ini, item, IniSectionName("RComl", {{n++, 1}}));
  n = 0;
  for (const TRCPRBCollectionItem& item : RCPRB)
    SalvarRCPRB(ini, item, IniSectionName("RCPRB", {{n++, 1}}));
}

}  // namespace escrita
}  // namespace luvaro::reinf
