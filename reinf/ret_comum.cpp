#include "reinf/ret_comum.h"

namespace luvaro::reinf::leitura {

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

}  // namespace luvaro::reinf::leitura
