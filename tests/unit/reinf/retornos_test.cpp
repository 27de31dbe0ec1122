// The reply readers of EFD-Reinf, on hand-written replies of the shapes the services return.

#include <gtest/gtest.h>

#include <string>

#include "dfe/config/ini.h"
#include "dfe/xml/texto.h"
#include "reinf/ret_consulta.h"
#include "reinf/ret_envio_lote.h"
#include "tests/unit/reinf/reinf_teste.h"

namespace luvaro::test {
namespace {

using namespace reinf;

std::string Retorno(std::string_view nome) {
  return FixtureReinf(std::string("retornos/") + std::string(nome));
}

// The text between the end of the n-th "<evento" start tag and the "</evento" after it.
std::string EntreTags(const std::string& xml, int n) {
  std::size_t pos = 0;
  for (int i = 0; i < n; ++i) pos = xml.find("<evento ", pos) + 1;
  const std::size_t inicio = xml.find('>', pos) + 1;
  return xml.substr(inicio, xml.find("</evento", inicio) - inicio);
}

TEST(TRetEnvioLote, LoteComTresEventos) {
  const std::string xml = Retorno("lote-tres-eventos.xml");
  TRetEnvioLote ret;
  ret.Leitor().SetArquivo(xml);
  ASSERT_TRUE(ret.LerXml());

  EXPECT_EQ(ret.Id, "ID20240402103000123456");
  EXPECT_EQ(ret.IdeTransmissor.IdTransmissor, "12345678000195");
  EXPECT_EQ(ret.Status.cdStatus, 2);
  EXPECT_EQ(ret.Status.descRetorno,
            "Lote processado com sucesso. Verifique o retorno de cada evento.");
  EXPECT_TRUE(ret.Status.Ocorrencias.empty());

  ASSERT_EQ(ret.evento.size(), 3u);
  const char* ids[] = {"ID1123456780000002024040210000000001",
                       "ID1123456780000002024030112000000004",
                       "ID1123456780000002024040110300000005"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ret.evento[i].Id, ids[i]);
    EXPECT_EQ(ret.evento[i].ArquivoReinf, EntreTags(xml, i + 1));
    EXPECT_TRUE(ret.evento[i].ArquivoReinf.starts_with("<Reinf xmlns="));
    EXPECT_TRUE(ret.evento[i].ArquivoReinf.ends_with("</Reinf>"));
    EXPECT_EQ(ret.evento[i].evtTotal.XML, "");
  }
  EXPECT_NE(ret.evento[0].ArquivoReinf.find("<SignatureValue>c2lnbmF0dXJl</SignatureValue>"),
            std::string::npos);

  const TEvtTotal& t1 = ret.evento[0].evtTotal;
  EXPECT_EQ(t1.Id, "ID0000000000000002024040210300000001");
  EXPECT_EQ(t1.IdeEvento.perApur, "2024-03");
  EXPECT_EQ(t1.IdeContrib.TpInsc, TtpInsc::tiCNPJ);
  EXPECT_EQ(t1.IdeContrib.NrInsc, "12345678");
  EXPECT_EQ(t1.IdeStatus.cdRetorno, "0");
  EXPECT_EQ(t1.IdeStatus.descRetorno, "SUCESSO");
  EXPECT_EQ(t1.InfoRecEv.nrProtEntr, "1.2.202404.0000001");
  EXPECT_DOUBLE_EQ(t1.InfoRecEv.dhProcess, encodeDateTime(2024, 4, 2, 10, 30, 5));
  EXPECT_EQ(t1.InfoRecEv.tpEv, "2010");
  EXPECT_EQ(t1.InfoRecEv.idEv, "ID1123456780000002024040210000000001");
  EXPECT_EQ(t1.InfoRecEv.hash, "q5zq3LtO8RCt2N5JqQF6oDWYkOOvYn1yXxJTnw1Xx0o=");
  EXPECT_EQ(t1.InfoTotal.nrRecArqBase, "1234-01-2010-2403-1234");
  EXPECT_EQ(t1.InfoTotal.RTom.cnpjPrestador, "11222333000181");
  EXPECT_DOUBLE_EQ(t1.InfoTotal.RTom.vlrTotalBaseRet, 1500.0);
  ASSERT_EQ(t1.InfoTotal.RTom.infoCRTom.size(), 2u);
  EXPECT_EQ(t1.InfoTotal.RTom.infoCRTom[1].CRTom, "116202");
  EXPECT_DOUBLE_EQ(t1.InfoTotal.RTom.infoCRTom[1].VlrCRTom, 10.5);
  EXPECT_DOUBLE_EQ(t1.InfoTotal.RTom.infoCRTom[1].VlrCRTomSusp, 2.25);
  EXPECT_TRUE(t1.InfoTotal.RRecRepAD.empty());

  const TEvtTotal& t2 = ret.evento[1].evtTotal;
  EXPECT_EQ(t2.IdeStatus.cdRetorno, "1");
  ASSERT_EQ(t2.IdeStatus.regOcorrs.size(), 2u);
  EXPECT_EQ(t2.IdeStatus.regOcorrs[0].tpOcorr, 1);
  EXPECT_EQ(t2.IdeStatus.regOcorrs[0].codResp, "MS0023");
  EXPECT_EQ(t2.IdeStatus.regOcorrs[0].dscResp, "Já existe informação vigente para o período.");
  EXPECT_EQ(t2.IdeStatus.regOcorrs[1].localErroAviso, "/Reinf/evtInfoContri");
  EXPECT_EQ(t2.IdeStatus.regOcorrs[1].dscResp, "Aviso de conferência & revisão.");
  EXPECT_EQ(t2.InfoRecEv.nrProtEntr, "");
  EXPECT_EQ(t2.InfoTotal.nrRecArqBase, "");

  const TinfoTotal& i3 = ret.evento[2].evtTotal.InfoTotal;
  EXPECT_EQ(i3.RTom.cnpjPrestador, "");
  EXPECT_EQ(i3.RPrest.tpInscTomador, TtpInsc::tiCNO);
  EXPECT_EQ(i3.RPrest.nrInscTomador, "123456789012");
  EXPECT_DOUBLE_EQ(i3.RPrest.vlrTotalRetPrinc, 88.0);
  EXPECT_DOUBLE_EQ(i3.RPrest.vlrTotalNRetAdic, 1.99);
  ASSERT_EQ(i3.RRecRepAD.size(), 2u);
  EXPECT_EQ(i3.RRecRepAD[1].cnpjAssocDesp, "44555666000258");
  EXPECT_DOUBLE_EQ(i3.RRecRepAD[1].vlrTotalNRet, 3.0);
  EXPECT_DOUBLE_EQ(i3.RRecRepAD[1].vlrCRRecRepADSusp, 7.0);
  ASSERT_EQ(i3.RComl.size(), 1u);
  EXPECT_DOUBLE_EQ(i3.RComl[0].vlrSenarApur, 2.0);
  EXPECT_EQ(i3.RComl[0].CRComl, "164402");
  ASSERT_EQ(i3.RCPRB.size(), 1u);
  EXPECT_EQ(i3.RCPRB[0].codRec, 298501);
  EXPECT_DOUBLE_EQ(i3.RCPRB[0].vlrCPRBSusp, 5.0);
  EXPECT_DOUBLE_EQ(i3.RRecEspetDesp.vlrReceitaTotal, 90000.0);
  EXPECT_EQ(i3.RRecEspetDesp.CRRecEspetDesp, "255002");
}

TEST(TRetEnvioLote, LoteRejeitadoSemRetornoDeEventos) {
  TRetEnvioLote ret;
  ret.Leitor().SetArquivo(Retorno("lote-rejeitado.xml"));
  ASSERT_TRUE(ret.LerXml());
  EXPECT_EQ(ret.Status.cdStatus, 7);  // the digits of "MS7"
  EXPECT_EQ(ret.Status.descRetorno, "Lote recusado.");
  ASSERT_EQ(ret.Status.Ocorrencias.size(), 3u);
  EXPECT_EQ(ret.Status.Ocorrencias[0].Tipo, 1);
  EXPECT_EQ(ret.Status.Ocorrencias[0].Localizacao, "/Reinf/loteEventos");
  EXPECT_EQ(ret.Status.Ocorrencias[0].Codigo, 30);
  EXPECT_EQ(ret.Status.Ocorrencias[1].Localizacao, "");
  EXPECT_EQ(ret.Status.Ocorrencias[1].Descricao, "Assinatura do evento inválida <evento>.");
  EXPECT_EQ(ret.Status.Ocorrencias[2].Tipo, 2);
  EXPECT_EQ(ret.Status.Ocorrencias[2].Codigo, 0);  // no digits at all
  EXPECT_TRUE(ret.evento.empty());
}

TEST(TRetEnvioLote, RespostasQueNaoSaoRetornoDeLote) {
  const struct {
    const char* nome;
    std::string texto;
    bool resultado;
  } casos[] = {
      {"vazia", "", true},
      {"não é XML", "Service Unavailable", true},
      {"outra raiz", "<Reinf><status><cdStatus>1</cdStatus></status></Reinf>", true},
      {"elemento sem fim", "<retornoLoteEventos id=\"X\"><status><cdStatus>1</cdStatus>", true},
      {"data inválida interrompe a leitura",
       "<retornoLoteEventos id=\"ID9\"><status><cdStatus>1</cdStatus></status><retornoEventos>"
       "<evento id=\"E1\"><Reinf><evtTotal id=\"T1\"><infoRecEv><dhProcess>ontem</dhProcess>"
       "</infoRecEv></evtTotal></Reinf></evento></retornoEventos></retornoLoteEventos>",
       false},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    TRetEnvioLote ret;
    ret.Leitor().SetArquivo(c.texto);
    EXPECT_EQ(ret.LerXml(), c.resultado);
    if (!c.resultado) {
      // What was read before the failure stays.
      EXPECT_EQ(ret.Id, "ID9");
      EXPECT_EQ(ret.Status.cdStatus, 1);
      ASSERT_EQ(ret.evento.size(), 1u);
      EXPECT_EQ(ret.evento[0].evtTotal.Id, "T1");
    } else {
      EXPECT_TRUE(ret.evento.empty());
      EXPECT_EQ(ret.Status.cdStatus, 0);
    }
  }
}

TEST(TRetConsulta, TotalizadorR5011) {
  const std::string xml = Retorno("consulta-r5011.xml");
  TRetConsulta ret;
  ret.Leitor().SetArquivo(xml);
  ASSERT_TRUE(ret.LerXml());
  EXPECT_EQ(ret.XML, xml);
  const TEvtTotalContrib& t = ret.evtTotalContrib;
  EXPECT_EQ(t.Id, "ID1123456780000002024041010000000009");
  EXPECT_EQ(t.IdeEvento.perApur, "2024-03");
  EXPECT_EQ(t.IdeContri.NrInsc, "12345678");
  EXPECT_EQ(t.IdeStatus.cdRetorno, "0");
  ASSERT_EQ(t.IdeStatus.regOcorrs.size(), 1u);
  EXPECT_EQ(t.IdeStatus.regOcorrs[0].codResp, "MS1100");
  EXPECT_EQ(t.InfoRecEv.nrProtEntr, "1.8.202404.0000099");
  EXPECT_EQ(t.InfoRecEv.tpEv, "2099");
  EXPECT_EQ(t.InfoTotalContrib.nrRecArqBase, "9999-02-2099-2403-9999");
  EXPECT_EQ(t.InfoTotalContrib.indExistInfo, TindExistInfo::eiComMovComInfo);

  const auto& rtom = t.InfoTotalContrib.RTom;
  ASSERT_EQ(rtom.size(), 2u);
  EXPECT_EQ(rtom[0].infoCRTom.size(), 1u);
  EXPECT_EQ(rtom[1].cnpjPrestador, "99888777000166");
  ASSERT_EQ(rtom[1].infoCRTom.size(), 2u);
  EXPECT_DOUBLE_EQ(rtom[1].infoCRTom[1].VlrCRTom, 3.3);
  EXPECT_DOUBLE_EQ(rtom[1].infoCRTom[1].VlrCRTomSusp, 1.1);
  ASSERT_EQ(t.InfoTotalContrib.RPrest.size(), 1u);
  EXPECT_EQ(t.InfoTotalContrib.RPrest[0].nrInscTomador, "55666777000188");
  EXPECT_TRUE(t.InfoTotalContrib.RRecRepAD.empty());
  EXPECT_TRUE(t.InfoTotalContrib.RComl.empty());
  ASSERT_EQ(t.InfoTotalContrib.RCPRB.size(), 1u);
  EXPECT_DOUBLE_EQ(t.InfoTotalContrib.RCPRB[0].vlrCRCPRB, 450.0);
  EXPECT_TRUE(t.RetornoEventos.empty());
}

TEST(TRetConsulta, RecibosDeEventos) {
  TRetConsulta ret;
  ret.Leitor().SetArquivo(Retorno("consulta-recibos.xml"));
  ASSERT_TRUE(ret.LerXml());
  const TEvtTotalContrib& t = ret.evtTotalContrib;
  EXPECT_EQ(t.Id, "");
  EXPECT_EQ(t.IdeStatus.cdRetorno, "0");
  EXPECT_EQ(t.IdeStatus.descRetorno, "Sucesso.");
  ASSERT_EQ(t.RetornoEventos.size(), 2u);
  EXPECT_EQ(t.RetornoEventos[0].Id, "ID1123456780000002024040210000000001");
  EXPECT_EQ(t.RetornoEventos[0].iniValid, "2024-03");
  EXPECT_EQ(t.RetornoEventos[0].dtHoraRecebimento, "2024-04-02T10:30:05");
  EXPECT_EQ(t.RetornoEventos[0].nrRecibo, "1234-01-2010-2403-1234");
  EXPECT_EQ(t.RetornoEventos[0].situacaoEvento, "1");
  EXPECT_EQ(t.RetornoEventos[0].aplicacaoRecepcao, "1");
  EXPECT_EQ(t.RetornoEventos[1].iniValid, "");
  EXPECT_EQ(t.RetornoEventos[1].situacaoEvento, "2");
}

TEST(TRetConsulta, RespostasSemTotalizadorNemRecibos) {
  const struct {
    const char* nome;
    std::string texto;
    bool resultado;
  } casos[] = {
      {"vazia", "", true},
      {"texto simples", "erro interno", true},
      {"só o status", "<Reinf><ideStatus><cdRetorno>9</cdRetorno></ideStatus></Reinf>", true},
      {"data inválida",
       "<Reinf><evtTotalContrib id=\"X\"><infoRecEv><dhProcess>2024-13-01T00:00:00"
       "</dhProcess></infoRecEv></evtTotalContrib></Reinf>",
       false},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    TRetConsulta ret;
    ret.Leitor().SetArquivo(c.texto);
    EXPECT_EQ(ret.LerXml(), c.resultado);
    EXPECT_EQ(ret.XML, c.texto);
    EXPECT_TRUE(ret.evtTotalContrib.RetornoEventos.empty());
    EXPECT_TRUE(ret.evtTotalContrib.InfoTotalContrib.RTom.empty());
  }
}

// SalvarINI of the replies: each recorded reply is read, its totalizer saved as INI and compared
// with the INI written by hand (retornos/ini).
TEST(SalvarINI, TotalizadoresContraOsIniEscritosAMao) {
  const auto comLF = [](const std::string& texto) { return replaceAll(texto, "\r\n", "\n"); };

  TRetEnvioLote lote;
  lote.Leitor().SetArquivo(Retorno("lote-tres-eventos.xml"));
  ASSERT_TRUE(lote.LerXml());
  const char* porEvento[] = {"ini/lote-tres-eventos-0.ini", "ini/lote-tres-eventos-1.ini",
                             "ini/lote-tres-eventos-2.ini"};
  for (std::size_t i = 0; i < std::size(porEvento); ++i) {
    SCOPED_TRACE(porEvento[i]);
    EXPECT_EQ(comLF(lote.SalvarINI(i)), Retorno(porEvento[i]));
  }
  EXPECT_EQ(lote.SalvarINI(3), "") << "no fourth event";

  const struct {
    const char* resposta;
    const char* ini;
  } consultas[] = {
      {"consulta-r5011.xml", "ini/consulta-r5011.ini"},
      {"consulta-recibos.xml", "ini/consulta-recibos.ini"},
  };
  for (const auto& caso : consultas) {
    SCOPED_TRACE(caso.resposta);
    TRetConsulta consulta;
    consulta.Leitor().SetArquivo(Retorno(caso.resposta));
    ASSERT_TRUE(consulta.LerXml());
    const std::string ini = consulta.SalvarINI();
    EXPECT_EQ(comLF(ini), Retorno(caso.ini));
    EXPECT_EQ(IniFile(ini).Text(), ini) << "CR LF lines an INI reader takes back as they are";
  }
}

}  // namespace
}  // namespace luvaro::test
