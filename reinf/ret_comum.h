#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dfe/config/ini.h"
#include "dfe/xml/data_hora.h"
#include "dfe/xml/leitor.h"
#include "reinf/reinf_conversao.h"

namespace luvaro::reinf {

// The pieces the EFD-Reinf replies share: status blocks, receipt data, identifications and the
// totalizer blocks of R-5001 and R-5011. Plain records, filled by the reply readers.

struct TOcorrenciasCollectionItem {
  std::int64_t Tipo = 0;
  std::string Localizacao;
  std::int64_t Codigo = 0;
  std::string Descricao;
};

// The lot's status.
struct TStatus {
  std::int64_t cdStatus = 0;
  std::string descRetorno;
  std::vector<TOcorrenciasCollectionItem> Ocorrencias;
};

struct TregOcorrsCollectionItem {
  std::int64_t tpOcorr = 0;
  std::string localErroAviso;
  std::string codResp;
  std::string dscResp;
};

// An event's status.
struct TideStatus {
  std::string cdRetorno;
  std::string descRetorno;
  std::vector<TregOcorrsCollectionItem> regOcorrs;
};

struct TInfoRecEv {
  std::string nrProtEntr;
  DateTime dhProcess = 0;
  std::string tpEv;
  std::string idEv;
  std::string hash;
};

struct TIdeEvento1 {
  std::string perApur;
};

// A registration: kind and number.
struct TInscricao {
  TtpInsc TpInsc = TtpInsc::tiCNPJ;
  std::string NrInsc;
};
using TideContrib = TInscricao;

struct TIdeTransmissor {
  std::string IdTransmissor;
};

struct TInfoCRTomCollectionItem {
  std::string CRTom;
  double VlrCRTom = 0;
  double VlrCRTomSusp = 0;
};

// Withholdings of a service taker.
struct TRTom {
  std::string cnpjPrestador;
  double vlrTotalBaseRet = 0;
  double vlrTotalRetPrinc = 0;
  double vlrTotalRetAdic = 0;
  double vlrTotalNRetPrinc = 0;
  double vlrTotalNRetAdic = 0;
  std::vector<TInfoCRTomCollectionItem> infoCRTom;
};

// Withholdings of a service provider.
struct TRPrest {
  TtpInsc tpInscTomador = TtpInsc::tiCNPJ;
  std::string nrInscTomador;
  double vlrTotalBaseRet = 0;
  double vlrTotalRetPrinc = 0;
  double vlrTotalRetAdic = 0;
  double vlrTotalNRetPrinc = 0;
  double vlrTotalNRetAdic = 0;
};

// Resources passed to sports associations.
struct TRRecRepADCollectionItem {
  std::string cnpjAssocDesp;
  double vlrTotalRep = 0;
  double vlrTotalRet = 0;
  double vlrTotalNRet = 0;
  std::string CRRecRepAD;
  double vlrCRRecRepAD = 0;
  double vlrCRRecRepADSusp = 0;
};

// Rural production sales.
struct TRComlCollectionItem {
  double vlrCPApur = 0;
  double vlrRatApur = 0;
  double vlrSenarApur = 0;
  double vlrCPSusp = 0;
  double vlrRatSusp = 0;
  double vlrSenarSusp = 0;
  std::string CRComl;
  double vlrCRComl = 0;
  double vlrCRComlSusp = 0;
};

// Contribution on gross revenue.
struct TRCPRBCollectionItem {
  std::int64_t codRec = 0;
  double vlrCPApurTotal = 0;
  double vlrCPRBSusp = 0;
  std::string CRCPRB;
  double vlrCRCPRB = 0;
  double vlrCRCPRBSusp = 0;
};

// Sports events' revenue (R-5001 only).
struct TRRecEspetDesp {
  double vlrReceitaTotal = 0;
  double vlrCPApurTotal = 0;
  double vlrCPSuspTotal = 0;
  std::string CRRecEspetDesp;
  double vlrCRRecEspetDesp = 0;
  double vlrCRRecEspetDespSusp = 0;
};

// Readers of the shared blocks. Each reads the fields of the reader's current group (the
// element the caller extracted last) and, for the blocks with repeated children, the children
// at level `nivel` + 1, where `nivel` is the level of the block itself. They raise what the
// reader raises (a malformed date); the reply readers catch it.
namespace leitura {

std::string Texto(TLeitor& leitor, const char* tag);
std::int64_t Inteiro(TLeitor& leitor, const char* tag);
double Valor(TLeitor& leitor, const char* tag);

// The element at `nivel` ("ideStatus") with its regOcorrs; nothing when it is missing.
void LerIdeStatus(TLeitor& leitor, int nivel, TideStatus& destino);
// The element "infoRecEv" at `nivel`; nothing when it is missing.
void LerInfoRecEv(TLeitor& leitor, int nivel, TInfoRecEv& destino);
// The element "ideContri" at `nivel`; nothing when it is missing.
void LerIdeContri(TLeitor& leitor, int nivel, TInscricao& destino);

void LerRTom(TLeitor& leitor, int nivel, TRTom& destino);
void LerRPrest(TLeitor& leitor, TRPrest& destino);
void LerRRecRepAD(TLeitor& leitor, TRRecRepADCollectionItem& destino);
void LerRComl(TLeitor& leitor, TRComlCollectionItem& destino);
void LerRCPRB(TLeitor& leitor, TRCPRBCollectionItem& destino);
void LerRRecEspetDesp(TLeitor& leitor, TRRecEspetDesp& destino);

// Calls `ler` for each element `tag` at `nivel` in order (1st, 2nd, ... until one is missing),
// with that element as the reader's current group.
template <class F>
void ParaCada(TLeitor& leitor, int nivel, const char* tag, F&& ler) {
  for (int i = 1; !leitor.rExtrai(nivel, tag, "", i).empty(); ++i) ler();
}

}  // namespace leitura

// Writers of the shared blocks into the INI text of a totalizer (SalvarINI): one section per
// element, named as in the reply; repeated blocks numbered from 0 ("regOcorrs" with three
// digits, "infoCRTom" with one, after the number of its RTom when RTom is a list).
namespace escrita {

void SalvarIdeContri(IniFile& ini, const TInscricao& origem);
// ideStatus and each of its regOcorrs.
void SalvarIdeStatus(IniFile& ini, const TideStatus& origem);
void SalvarInfoRecEv(IniFile& ini, const TInfoRecEv& origem);
// An RTom and its infoCRTom; `numero` is its place in a list of RTom (3 digits), or negative
// for the single RTom of an R-5001.
void SalvarRTom(IniFile& ini, const TRTom& origem, int numero);
void SalvarRPrest(IniFile& ini, const TRPrest& origem, const std::string& secao);
void SalvarRRecEspetDesp(IniFile& ini, const TRRecEspetDesp& origem);
// The three lists both totalizers carry: RRecRepAD000..., RComl0..., RCPRB0....
void SalvarListas(IniFile& ini, const std::vector<TRRecRepADCollectionItem>& RRecRepAD,
                  const std::vector<TRComlCollectionItem>& RComl,
                  const std::vector<TRCPRBCollectionItem>& RCPRB);

}  // namespace escrita
}  // namespace luvaro::reinf
