// The lot-query reply: two events, one accepted (duplicate) with its receipt, contract and
// totalizers, one refused with occurrences; and the readings that stop early.
#include "esocial/retorno_consulta_lote.h"

#include <gtest/gtest.h>

#include "esocial/retorno_s5001.h"
#include "esocial/retorno_s5011.h"
#include "tests/unit/esocial/retornos/retorno_teste.h"

namespace luvaro {
namespace {

using test::Data;
using test::RetornoFixture;

class TRetConsultaLoteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_ret.Leitor().SetArquivo(RetornoFixture("consulta-lote-dois-eventos.xml"));
    ASSERT_TRUE(m_ret.LerXml());
    ASSERT_EQ(m_ret.RetEventos().size(), 2u);
  }
  const TRetEventoItem& Evento(int i) const { return m_ret.RetEventos()[i]; }

  TRetConsultaLote m_ret;
};

TEST_F(TRetConsultaLoteTest, LotPartsAreRead) {
  EXPECT_EQ(m_ret.IdeEmpregador().NrInsc(), "12345678");
  EXPECT_EQ(m_ret.IdeTransmissor().NrInsc(), "12345678000195");
  EXPECT_EQ(m_ret.Status().cdResposta, 201);
  EXPECT_EQ(m_ret.Status().tempoEstimadoConclusao, 0);
  EXPECT_EQ(m_ret.DadosRecLote().Protocolo, "1.2.202405.0000000000012345678");
  EXPECT_DOUBLE_EQ(m_ret.DadosRecLote().dhRecepcao, Data(2024, 5, 10, 14, 3, 27));
  EXPECT_EQ(m_ret.DadosProcLote().versaoAplicProcLote, "2.4.1");
}

TEST_F(TRetConsultaLoteTest, AcceptedEventHasItsReceiptAndNoOccurrences) {
  const TRetEventoItem& e = Evento(0);
  EXPECT_EQ(e.Id, "ID1123456780000002024051014030000001");
  EXPECT_TRUE(e.evtDupl);
  EXPECT_EQ(e.IdeEmpregador.TpInsc(), tpTpInsc::tiCNPJ);
  EXPECT_EQ(e.Recepcao.tpAmb, TpTpAmb::taProducaoRestrita);
  EXPECT_DOUBLE_EQ(e.Recepcao.dhRecepcao, Data(2024, 5, 10, 14, 3, 27));
  EXPECT_EQ(e.Recepcao.versaoAplicRecepcao, "1.5.0");
  EXPECT_EQ(e.Recepcao.Protocolo, "1.2.202405.0000000000012345678");
  EXPECT_EQ(e.Processamento.cdResposta, 201);
  EXPECT_EQ(e.Processamento.versaoAplicProcLote, "2.4.1");
  EXPECT_DOUBLE_EQ(e.Processamento.dhProcessamento, Data(2024, 5, 10, 14, 5, 1));
  EXPECT_TRUE(e.Processamento.Ocorrencias.empty());
  EXPECT_EQ(e.Recibo.nrRecibo, "1.2.0000000000098765432");
  EXPECT_EQ(e.Recibo.Hash, "qK3l0ubpS0pD2Zs8i9RkP2n0rJ0u3P3a4gNJ6Q4wF5I=");
}

TEST_F(TRetConsultaLoteTest, RefusedEventHasOccurrencesAndNoReceipt) {
  const TRetEventoItem& e = Evento(1);
  EXPECT_EQ(e.Id, "ID1123456780000002024051014030000002");
  EXPECT_FALSE(e.evtDupl);
  EXPECT_EQ(e.Recepcao.tpAmb, TpTpAmb::taProducao);
  EXPECT_EQ(e.Processamento.cdResposta, 401);
  EXPECT_TRUE(e.Recibo.nrRecibo.empty());
  ASSERT_EQ(e.Processamento.Ocorrencias.size(), 2u);
  EXPECT_EQ(e.Processamento.Ocorrencias[0].Codigo, 142);
  EXPECT_EQ(e.Processamento.Ocorrencias[0].Tipo, 1);
  EXPECT_EQ(e.Processamento.Ocorrencias[0].Descricao, "Assinatura inválida.");
  EXPECT_EQ(e.Processamento.Ocorrencias[1].Codigo, 143);
  EXPECT_EQ(e.Processamento.Ocorrencias[1].Localizacao, "/eSocial/evtRemun");
  EXPECT_TRUE(e.tot.empty());
  EXPECT_EQ(e.Recibo.Contrato.trabalhador.cpfTrab, "");
}

TEST_F(TRetConsultaLoteTest, ContractOfTheReceiptWithItsCodes) {
  const TContrato& c = Evento(0).Recibo.Contrato;
  EXPECT_EQ(c.ideEmpregador.NrInsc(), "12345678000195");
  EXPECT_EQ(c.trabalhador.cpfTrab, "12345678909");
  EXPECT_EQ(c.trabalhador.nisTrab, "12345678901");
  EXPECT_EQ(c.trabalhador.nmTrab, "JOSÉ DA SILVA & FILHOS");
  EXPECT_EQ(c.infoDeficiencia.infoCota, tpSimNao::tpNao);
  EXPECT_EQ(c.vinculo.matricula, "MAT-0042");
  EXPECT_DOUBLE_EQ(c.infoCeletista.dtAdm, Data(2024, 4, 1));
  EXPECT_EQ(c.infoCeletista.tpRegJor, tpTpRegJor::rjTeletrabalho);
  EXPECT_EQ(c.infoCeletista.dtBase, 5);
  EXPECT_EQ(c.infoCeletista.cnpjSindCategProf, "11222333000181");
  EXPECT_DOUBLE_EQ(c.infoEstatutario.dtPosse, 0);
  EXPECT_EQ(c.infoContrato.codCateg, 101);
  EXPECT_EQ(c.infoContrato.cargo.codCargo, "C01");
  EXPECT_EQ(c.infoContrato.cargo.nmCargo, "Analista");
  EXPECT_EQ(c.infoContrato.cargo.codCBO, "212405");
  EXPECT_EQ(c.infoContrato.funcao.codFuncao, "F07");
  EXPECT_EQ(c.infoContrato.funcao.nmFuncao, "Coordenação");
  EXPECT_EQ(c.infoContrato.funcao.codCBO, "142105");
  EXPECT_DOUBLE_EQ(c.remuneracao.vrSalFx, 3500.75);
  EXPECT_EQ(c.remuneracao.undSalFixo, tpUndSalFixo::sfPorMes);
  EXPECT_EQ(c.remuneracao.dscSalVar, "Comissões");
  EXPECT_EQ(c.duracao.tpContr, tpTpContr::tcPrazoDeterminado);
  EXPECT_DOUBLE_EQ(c.duracao.dtTerm, Data(2024, 12, 31));
  EXPECT_EQ(c.duracao.clauAssec, tpSimNao::tpNao);
  EXPECT_EQ(c.localTrabGeral.tpInsc, tpTpInsc::tiCAEPF);
  EXPECT_EQ(c.localTrabGeral.cnae, "6201501");
  const THorContratualContrato& h = c.horContratual;
  EXPECT_DOUBLE_EQ(h.qtdHrsSem, 44.0);
  EXPECT_EQ(h.tpJornada, tpTpJornada::tjDemaisTipos);
  EXPECT_EQ(h.dscTpJorn, "Escala 5x2");
  EXPECT_EQ(h.tmpParc, tpTmpParc::tpNaoTempoParcial);
  ASSERT_EQ(h.horario.size(), 2u);
  EXPECT_EQ(h.horario[0].dia, tpTpDia::diSegunda);
  EXPECT_EQ(h.horario[0].durJornada, 480);
  EXPECT_EQ(h.horario[0].perHorFlexivel, tpSimNao::tpNao);
  EXPECT_TRUE(h.horario[0].horarioIntervalo.empty());
  EXPECT_EQ(h.horario[1].dia, tpTpDia::diVariavel);
  EXPECT_EQ(h.horario[1].hrEntr, "1300");
  EXPECT_EQ(h.horario[1].perHorFlexivel, tpSimNao::tpSim);
  ASSERT_EQ(h.horario[1].horarioIntervalo.size(), 2u);
  EXPECT_EQ(h.horario[1].horarioIntervalo[0].tpInterv, tpTpIntervalo::tinHorarioFixo);
  EXPECT_EQ(h.horario[1].horarioIntervalo[0].durInterv, 60);
  EXPECT_EQ(h.horario[1].horarioIntervalo[0].termInterv, "1800");
  EXPECT_EQ(h.horario[1].horarioIntervalo[1].tpInterv, tpTpIntervalo::tinHorarioVariavel);
  EXPECT_EQ(h.horario[1].horarioIntervalo[1].iniInterv, "");
}

TEST_F(TRetConsultaLoteTest, KnownTotalizersGetTheirReaderOthersKeepTheirText) {
  const std::vector<TTotItem>& tot = Evento(0).tot;
  ASSERT_EQ(tot.size(), 3u);
  struct Caso {
    const char* tipo;
    bool comEvento;
    const char* raiz;
  };
  const Caso casos[] = {{"S5001", true, "evtBasesTrab"},
                        {"S5011", true, "evtCS"},
                        {"S5501", false, "evtTribProcTrab"}};
  for (std::size_t i = 0; i < tot.size(); ++i) {
    SCOPED_TRACE(casos[i].tipo);
    EXPECT_EQ(tot[i].tipo, casos[i].tipo);
    EXPECT_EQ(tot[i].Evento != nullptr, casos[i].comEvento);
    // The totalizer document whole, from its root to its end, signature and all.
    EXPECT_TRUE(tot[i].XML.starts_with("<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/"))
        << tot[i].XML;
    EXPECT_TRUE(tot[i].XML.ends_with("</eSocial>"));
    EXPECT_NE(tot[i].XML.find(casos[i].raiz), std::string::npos);
  }
  ASSERT_NE(tot[1].Evento, nullptr);
  EXPECT_EQ(tot[1].Evento->TipoEvento(), TTipoEvento::teS5011);
  EXPECT_EQ(tot[1].Evento->Xml(), tot[1].XML);
  auto& s5011 = dynamic_cast<TS5011&>(*tot[1].Evento);
  EXPECT_EQ(s5011.EvtCS().Id(), "ID1123456780000002024051014050100002");
  EXPECT_EQ(s5011.EvtCS().IdeEvento().IndApuracao, tpIndApuracao::iapuAnual);
  auto& s5001 = dynamic_cast<TS5001&>(*tot[0].Evento);
  EXPECT_EQ(s5001.EvtBasesTrab().Id(), "ID1123456780000002024051014050100001");
  EXPECT_EQ(&tot[0].Evento->GetEvento(), &s5001.EvtBasesTrab());
}

TEST(TRetConsultaLote, StopsWithFalseAtAnEvtDuplThatIsNoBoolean) {
  const std::string evento =
      "<evento Id=\"ID2\" evtDupl=\"talvez\"><retornoEvento><eSocial><retornoEvento Id=\"ID2\">"
      "<processamento><cdResposta>201</cdResposta></processamento></retornoEvento></eSocial>"
      "</retornoEvento></evento>";
  TRetConsultaLote ret;
  ret.Leitor().SetArquivo(
      "<retornoProcessamentoLoteEventos><status><cdResposta>201</cdResposta></status>"
      "<retornoEventos><evento Id=\"ID1\" evtDupl=\"1\"></evento>" +
      evento + "<evento Id=\"ID3\"></evento></retornoEventos></retornoProcessamentoLoteEventos>");
  EXPECT_FALSE(ret.LerXml());
  ASSERT_EQ(ret.RetEventos().size(), 2u);
  EXPECT_TRUE(ret.RetEventos()[0].evtDupl);  // "1" counts as true
  EXPECT_EQ(ret.RetEventos()[1].Id, "ID2");
  EXPECT_EQ(ret.RetEventos()[1].Processamento.cdResposta, 0);
  EXPECT_EQ(ret.Status().cdResposta, 201);
}

TEST(TRetConsultaLote, PendingLotWithoutEventsIsRead) {
  TRetConsultaLote ret;
  ret.Leitor().SetArquivo(
      "<eSocial><retornoProcessamentoLoteEventos><status><cdResposta>101</cdResposta>"
      "<descResposta>Lote Aguardando Processamento.</descResposta>"
      "<tempoEstimadoConclusao>5</tempoEstimadoConclusao></status>"
      "</retornoProcessamentoLoteEventos></eSocial>");
  EXPECT_TRUE(ret.LerXml());
  EXPECT_EQ(ret.Status().cdResposta, 101);
  EXPECT_EQ(ret.Status().tempoEstimadoConclusao, 5);
  EXPECT_TRUE(ret.RetEventos().empty());
}

}  // namespace
}  // namespace luvaro
