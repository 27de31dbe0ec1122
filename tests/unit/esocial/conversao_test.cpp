// The eSocial enumerations and their tables: versions, services, schemas, event types and the
// detection of an event's type from its text.

#include <gtest/gtest.h>

#include "esocial/esocial_conversao.h"

namespace luvaro {
namespace {

TEST(ConversaoTest, VersoesDentroEForaDaTabela) {
  const struct {
    int ordinal;
    std::string texto;
    double numero;
  } casos[] = {
      {0, "02_04_01", 2.0401},
      {1, "02_04_02", 2.0402},
      {2, "02_05_00", 2.05},
      {3, "", 0.0},
      {5, "", 0.0},
      {255, "", 0.0},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.ordinal);
    const auto versao = static_cast<TVersaoeSocial>(c.ordinal);
    EXPECT_EQ(TextoDaVersao(versao), c.texto);
    EXPECT_DOUBLE_EQ(NumeroDaVersao(versao), c.numero);
  }
}

TEST(ConversaoTest, ServicosEEsquemasDosLayouts) {
  const struct {
    TLayOut layout;
    std::string servico;
    TeSocialSchema schema;
    std::string nomeSchema;
  } casos[] = {
      {TLayOut::LayEnvioLoteEventos, "EnviarLoteEventos", TeSocialSchema::schEnvioLoteEventos,
       "EnvioLoteEventos"},
      {TLayOut::LayConsultaLoteEventos, "ConsultarLoteEventos",
       TeSocialSchema::schConsultaLoteEventos, "ConsultaLoteEventos"},
      {TLayOut::LayConsultaIdentEventos, "ConsultarIdentificadoresEventos",
       TeSocialSchema::schConsultaIdentEventos, "ConsultaIdentEventos"},
      {TLayOut::LayDownloadEventos, "DownloadEventos", TeSocialSchema::schDownloadEventos,
       "DownloadEventos"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.servico);
    EXPECT_EQ(ServicoDoLayOut(c.layout), c.servico);
    EXPECT_EQ(SchemaDoLayOut(c.layout), c.schema);
    EXPECT_EQ(NomeDoSchema(c.schema), c.nomeSchema);
    EXPECT_EQ(LayOutDoServico(c.servico), c.layout);
  }
  EXPECT_EQ(LayOutDoServico("consultarloteeventos"), TLayOut::LayConsultaLoteEventos);
  EXPECT_EQ(LayOutDoServico("ENVIARLOTEEVENTOS"), TLayOut::LayEnvioLoteEventos);
  EXPECT_FALSE(LayOutDoServico("EnviarLote").has_value());
  EXPECT_FALSE(LayOutDoServico("").has_value());
}

TEST(ConversaoTest, NomesDeSchemaPorOrdinal) {
  const struct {
    int ordinal;
    std::string nome;
  } casos[] = {
      {0, "Erro"},
      {1, "ConsultaLoteEventos"},
      {2, "EnvioLoteEventos"},
      {3, "evtAdesao"},
      {26, "evtInfoEmpregador"},
      {32, "evtReabreEvper"},
      {49, "evtTSVTermino"},
      {50, "RetornoEnvioLoteEventos"},
      {53, "ConsultaIdentEventos"},
      {54, "DownloadEventos"},
      {55, "EvtToxic"},
      {56, "EvtTreiCap"},
      {57, "evtCessao"},
      {69, "evtBaixa"},
      {70, ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.ordinal);
    EXPECT_EQ(NomeDoSchema(static_cast<TeSocialSchema>(c.ordinal)), c.nome);
  }
}

TEST(ConversaoTest, TiposDeEventoCodigosElementosESchemas) {
  const struct {
    int ordinal;
    std::string codigo;
    std::string elemento;
    std::string schema;
  } casos[] = {
      {0, "S-1000", "evtInfoEmpregador", "evtInfoEmpregador"},
      {7, "S-1050", "evtTabHorTur", "evtTabHorTur"},
      {11, "S-2100", "", "Erro"},
      {16, "S-1220", "", "Erro"},
      {22, "S-1298", "evtReabreEvPer", "evtReabreEvper"},
      {33, "S-2245", "evtTreiCap", "EvtTreiCap"},
      {39, "S-2305", "", "Erro"},
      {43, "S-3000", "evtExclusao", "evtExclusao"},
      {44, "S-4000", "", "Erro"},
      {45, "S-4999", "", "Erro"},
      {46, "S-5001", "", "Erro"},
      {51, "S-5013", "", "Erro"},
      {52, "S-2221", "evtToxic", "EvtToxic"},
      // The simplified layouts' own types come after the 53 (2.x ordinals keep their meaning).
      {53, "S-2231", "evtCessao", "evtCessao"},
      {54, "S-2400", "evtCdBenefIn", "evtCdBenefIn"},
      {55, "S-2405", "evtCdBenefAlt", "evtCdBenefAlt"},
      {56, "S-2410", "evtCdBenIn", "evtCdBenIn"},
      {57, "S-2416", "evtCdBenAlt", "evtCdBenAlt"},
      {58, "S-2418", "evtReativBen", "evtReativBen"},
      {59, "S-2420", "evtCdBenTerm", "evtCdBenTerm"},
      {60, "S-2500", "evtProcTrab", "evtProcTrab"},
      {61, "S-2501", "evtContProc", "evtContProc"},
      {62, "S-2555", "evtConsolidContProc", "evtConsolidContProc"},
      {63, "S-3500", "evtExcProcTrab", "evtExcProcTrab"},
      {64, "S-8200", "evtAnotJud", "evtAnotJud"},
      {65, "S-8299", "evtBaixa", "evtBaixa"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.codigo);
    const auto tipo = static_cast<TTipoEvento>(c.ordinal);
    EXPECT_EQ(CodigoDoTipoEvento(tipo), c.codigo);
    EXPECT_EQ(ElementoDoTipoEvento(tipo), c.elemento);
    EXPECT_EQ(NomeDoSchema(SchemaDoTipoEvento(tipo)), c.schema);
  }
  EXPECT_EQ(kQuantidadeTiposEvento, 53);
  EXPECT_EQ(kTotalTiposEvento, 66);
  EXPECT_EQ(CodigoDoTipoEvento(static_cast<TTipoEvento>(66)), "");
  EXPECT_EQ(TiposEventoCarregaveis().size(), 55u);
}

// Every loadable type's collection is named after its code, and its element is detected.
TEST(ConversaoTest, TabelaDosTiposCarregaveis) {
  for (const TipoEventoCarregavel& linha : TiposEventoCarregaveis()) {
    SCOPED_TRACE(linha.colecao);
    const std::string codigo = CodigoDoTipoEvento(linha.tipo);
    // S2400Benef: the simplified layouts' S-2400 beside the 2.x one.
    EXPECT_EQ("S-" + std::string(linha.colecao).substr(1, 4), codigo);
    EXPECT_EQ(TipoEventoDoXML("<" + std::string(linha.elemento) + " Id=\"ID1\">"), linha.tipo);
    EXPECT_EQ(TipoEventoDoINI("[" + std::string(linha.elemento) + "]"), linha.tipo);
  }
}

TEST(ConversaoTest, DeteccaoDoTipoPeloXML) {
  const struct {
    std::string nome;
    std::string texto;
    std::optional<TTipoEvento> esperado;
  } casos[] = {
      {"S-1000", "<eSocial><evtInfoEmpregador Id=\"ID1\"></evtInfoEmpregador></eSocial>",
       TTipoEvento::teS1000},
      {"Id entre apóstrofos", "<eSocial><evtInfoEmpregador Id='ID1'></evtInfoEmpregador>",
       std::nullopt},
      {"elemento com prefixo", "<esocial:evtInfoEmpregador Id=\"ID1\">", std::nullopt},
      {"dois brancos antes de Id", "<evtInfoEmpregador  Id=\"ID1\">", std::nullopt},
      {"brancos em torno do igual", "<evtInfoEmpregador Id = \"ID1\">", std::nullopt},
      {"outra caixa no elemento", "<EvtInfoEmpregador Id=\"ID1\">", std::nullopt},
      {"outra caixa no atributo", "<evtInfoEmpregador id=\"ID1\">", std::nullopt},
      {"evtTreiCap", "<evtTreiCap Id=\"ID1\">", TTipoEvento::teS2245},
      {"evtToxic", "<evtToxic Id=\"ID1\">", TTipoEvento::teS2221},
      // S-2221 is the last type, so S-3000 is found first whatever the text's order.
      {"evtToxic e evtExclusao", "<evtToxic Id=\"A\"><evtExclusao Id=\"B\">", TTipoEvento::teS3000},
      {"S-1005 antes de S-1000 no texto", "<evtTabEstab Id=\"A\"><evtInfoEmpregador Id=\"B\">",
       TTipoEvento::teS1000},
      {"S-1298 pelo elemento", "<evtReabreEvPer Id=\"ID1\">", TTipoEvento::teS1298},
      {"S-2400 dos leiautes 2.x", "<evtCdBenPrRP Id=\"ID1\">", TTipoEvento::teS2400},
      {"S-2400 dos leiautes S-1.x", "<evtCdBenefIn Id=\"ID1\">", TTipoEvento::teS2400Benef},
      {"S-2410, não S-2400", "<evtCdBenIn Id=\"ID1\">", TTipoEvento::teS2410},
      {"S-8200", "<eSocial><evtAnotJud Id=\"ID1\">", TTipoEvento::teS8200},
      {"elemento comum aos leiautes", "<evtAdmissao Id=\"ID1\">", TTipoEvento::teS2200},
      {"nome que estende o de um tipo", "<evtInfoEmpregadorX Id=\"ID1\">", std::nullopt},
      {"dois sinais de menor", "<<evtInfoEmpregador Id=\"ID1\">", TTipoEvento::teS1000},
      {"texto que acaba no nome", "<x/><evtInfoEmpregador", std::nullopt},
      {"vazio", "", std::nullopt},
      {"não XML", "texto qualquer </eSocial>", std::nullopt},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(TipoEventoDoXML(c.texto), c.esperado);
  }
}

TEST(ConversaoTest, DeteccaoDoTipoPeloINI) {
  const struct {
    std::string nome;
    std::string texto;
    std::optional<TTipoEvento> esperado;
  } casos[] = {
      {"S-1005", "[evtTabEstab]\r\ntpAmb=2\r\n", TTipoEvento::teS1005},
      {"duas seções: a primeira na ordem dos tipos vence",
       "[evtTabEstab]\r\n[evtInfoEmpregador]\r\n", TTipoEvento::teS1000},
      {"seção sem colchete", "evtTabEstab\r\n", std::nullopt},
      {"padrão de XML", "<evtTabEstab Id=\"ID1\">", std::nullopt},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(TipoEventoDoINI(c.texto), c.esperado);
  }
}

}  // namespace
}  // namespace luvaro
