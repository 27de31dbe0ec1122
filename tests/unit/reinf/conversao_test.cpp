// The EFD-Reinf enumerations and their texts: versions, layouts, schemas, event types and the
// recognition of a document's type.

#include <gtest/gtest.h>

#include "reinf/reinf_conversao.h"

namespace luvaro::test {
namespace {

using namespace reinf;

TEST(ReinfConversao, Versoes) {
  const struct {
    TVersaoReinf versao;
    const char* texto;
    double numero;
  } casos[] = {
      {TVersaoReinf::v1_02_00, "1_02_00", 1.2},  {TVersaoReinf::v1_03_00, "1_03_00", 1.3},
      {TVersaoReinf::v1_03_02, "1_03_02", 1.32}, {TVersaoReinf::v1_04_00, "1_04_00", 1.4},
      {TVersaoReinf::v2_01_02, "2_01_02", 2.12}, {static_cast<TVersaoReinf>(5), "", 0},
      {static_cast<TVersaoReinf>(255), "", 0},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(static_cast<int>(c.versao));
    EXPECT_EQ(TextoDaVersao(c.versao), c.texto);
    EXPECT_DOUBLE_EQ(NumeroDaVersao(c.versao), c.numero);
  }
}

TEST(ReinfConversao, LayOutsEServicos) {
  EXPECT_EQ(ServicoDoLayOut(TLayOutReinf::LayEnvioLoteEventos), "EnviarLoteEventos");
  EXPECT_EQ(ServicoDoLayOut(TLayOutReinf::LayConsultaLoteEventos), "ConsultarLoteEventos");
  EXPECT_EQ(NomeDoSchema(SchemaDoLayOut(TLayOutReinf::LayEnvioLoteEventos)), "EnvioLoteEventos");
  EXPECT_EQ(NomeDoSchema(SchemaDoLayOut(TLayOutReinf::LayConsultaLoteEventos)),
            "ConsultaLoteEventos");

  const struct {
    const char* servico;
    std::optional<TLayOutReinf> layout;
  } casos[] = {
      {"EnviarLoteEventos", TLayOutReinf::LayEnvioLoteEventos},
      {"enviarloteeventos", TLayOutReinf::LayEnvioLoteEventos},
      {"CONSULTARLOTEEVENTOS", TLayOutReinf::LayConsultaLoteEventos},
      {"ConsultarIdentificadoresEventos", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.servico);
    EXPECT_EQ(LayOutDoServico(c.servico), c.layout);
  }
}

TEST(ReinfConversao, TabelaDosTiposDeEvento) {
  const struct {
    TTipoEvento tipo;
    const char* codigo;
    const char* elemento;
    const char* schema;
  } casos[] = {
      {TTipoEvento::teR1000, "R-1000", "evtInfoContri", "evtInfoContribuinte"},
      {TTipoEvento::teR2099, "R-2099", "evtFechaEvPer", "evtFechamento"},
      {TTipoEvento::teR1070, "R-1070", "evtTabProcesso", "evtTabProcesso"},
      {TTipoEvento::teR2010, "R-2010", "evtServTom", "evtTomadorServicos"},
      {TTipoEvento::teR2020, "R-2020", "evtServPrest", "evtPrestadorServicos"},
      {TTipoEvento::teR2030, "R-2030", "evtAssocDespRec", "evtRecursoRecebidoAssociacao"},
      {TTipoEvento::teR2040, "R-2040", "evtAssocDespRep", "evtRecursoRepassadoAssociacao"},
      {TTipoEvento::teR2050, "R-2050", "evtComProd", "evtInfoProdRural"},
      {TTipoEvento::teR2060, "R-2060", "evtCPRB", "evtInfoCPRB"},
      {TTipoEvento::teR2070, "R-2070", "evtPgtosDivs", "evtPgtosDivs"},
      {TTipoEvento::teR2098, "R-2098", "evtReabreEvPer", "evtReabreEvPer"},
      {TTipoEvento::teR3010, "R-3010", "evtEspDesportivo", "evtEspDesportivo"},
      {TTipoEvento::teR5001, "R-5001", "evtTotal", "evtTotal"},
      {TTipoEvento::teR5011, "R-5011", "evtTotalContrib", "evtTotalConsolid"},
      {TTipoEvento::teR9000, "R-9000", "evtExclusao", "evtExclusao"},
      {static_cast<TTipoEvento>(15), "", "", "Erro"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.codigo);
    EXPECT_EQ(CodigoDoTipoEvento(c.tipo), c.codigo);
    EXPECT_EQ(ElementoDoTipoEvento(c.tipo), c.elemento);
    EXPECT_EQ(NomeDoSchema(SchemaDoTipoEvento(c.tipo)), c.schema);
  }
  EXPECT_EQ(NomeDoSchema(TReinfSchema::schErro), "Erro");
  EXPECT_EQ(NomeDoSchema(static_cast<TReinfSchema>(18)), "");
}

TEST(ReinfConversao, ReconhecimentoDoTipo) {
  const struct {
    const char* nome;
    const char* texto;
    std::optional<TTipoEvento> tipo;
  } casos[] = {
      {"R-1000", "<Reinf><evtInfoContri id=\"ID1\"/></Reinf>", TTipoEvento::teR1000},
      {"R-2010", "<Reinf xmlns=\"x\"><evtServTom id=\"ID1\"></evtServTom></Reinf>",
       TTipoEvento::teR2010},
      {"R-2020 sem atributos", "<evtServPrest>", TTipoEvento::teR2020},
      {"R-5001", "<Reinf><evtTotal id=\"ID1\"/></Reinf>", TTipoEvento::teR5001},
      {"R-5011 tomado por R-5001", "<Reinf><evtTotalContrib id=\"ID1\"/></Reinf>",
       TTipoEvento::teR5001},
      {"R-9000", "<evtExclusao id=\"ID1\">", TTipoEvento::teR9000},
      {"a ordem da tabela decide", "<evtExclusao/><evtFechaEvPer/>", TTipoEvento::teR2099},
      {"elemento de outra caixa", "<Reinf><EvtServTom id=\"ID1\"/></Reinf>", std::nullopt},
      {"nome sem o sinal de menor", "evtServTom", std::nullopt},
      {"elemento desconhecido", "<Reinf><evtOutro id=\"ID1\"/></Reinf>", std::nullopt},
      {"vazio", "", std::nullopt},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(TipoEventoDoXML(c.texto), c.tipo);
  }
}

TEST(ReinfConversao, ReconhecimentoDoTipoEmINI) {
  const struct {
    const char* texto;
    std::optional<TTipoEvento> tipo;
  } casos[] = {
      {"[evtServTom]\nSequencial=1", TTipoEvento::teR2010},
      {"[evtTotalContrib]", TTipoEvento::teR5011},
      {"[evtTotal]", TTipoEvento::teR5001},
      {"<evtServTom>", std::nullopt},
      {"[evtservtom]", std::nullopt},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.texto);
    EXPECT_EQ(TipoEventoDoINI(c.texto), c.tipo);
  }
}

TEST(ReinfConversao, InscricaoEExistenciaDeInformacao) {
  EXPECT_EQ(TpInscToStr(TtpInsc::tiCNPJ), "1");
  EXPECT_EQ(TpInscToStr(TtpInsc::tiCPF), "2");
  EXPECT_EQ(TpInscToStr(TtpInsc::tiCNO), "4");
  EXPECT_EQ(StrToTpInsc("4"), TtpInsc::tiCNO);
  EXPECT_EQ(StrToTpInsc("2"), TtpInsc::tiCPF);
  EXPECT_EQ(StrToTpInsc("3"), TtpInsc::tiCNPJ);
  EXPECT_EQ(StrToindExistInfo("3"), TindExistInfo::eiSemMov);
  EXPECT_EQ(StrToindExistInfo("2"), TindExistInfo::eiComMovSemInfo);
  EXPECT_EQ(StrToindExistInfo(""), TindExistInfo::eiComMovComInfo);
  EXPECT_EQ(indExistInfoToStr(TindExistInfo::eiSemMov), "3");
}

}  // namespace
}  // namespace luvaro::test
