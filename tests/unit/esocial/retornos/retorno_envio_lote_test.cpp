// The send-lot reply read from replies of the published shape: an accepted lot, a refused one
// with occurrences in document order, and a reception time that cannot be read.
#include "esocial/retorno_envio_lote.h"

#include <gtest/gtest.h>

#include "tests/unit/esocial/retornos/retorno_teste.h"

namespace luvaro {
namespace {

using test::Data;
using test::RetornoFixture;

TEST(TRetEnvioLote, AcceptedLotGivesStatusRegistrationsAndProtocol) {
  TRetEnvioLote ret;
  ret.Leitor().SetArquivo(RetornoFixture("envio-lote-aceito.xml"));
  ASSERT_TRUE(ret.LerXml());
  EXPECT_EQ(ret.Status().cdResposta, 201);
  EXPECT_EQ(ret.Status().descResposta, "Lote Recebido com Sucesso.");
  EXPECT_TRUE(ret.Status().Ocorrencias.empty());
  EXPECT_EQ(ret.IdeEmpregador().TpInsc(), tpTpInsc::tiCNPJ);
  EXPECT_EQ(ret.IdeEmpregador().NrInsc(), "12345678");
  EXPECT_EQ(ret.IdeTransmissor().TpInsc(), tpTpInsc::tiCPF);
  EXPECT_EQ(ret.IdeTransmissor().NrInsc(), "12345678909");
  EXPECT_EQ(ret.DadosRecLote().Protocolo, "1.2.202405.0000000000012345678");
  EXPECT_EQ(ret.DadosRecLote().versaoAplicRecepcao, "1.5.0");
  // The milliseconds and the offset after the seconds are not read.
  EXPECT_DOUBLE_EQ(ret.DadosRecLote().dhRecepcao, Data(2024, 5, 10, 14, 3, 27));
}

TEST(TRetEnvioLote, RefusedLotKeepsItsOccurrencesInOrder) {
  TRetEnvioLote ret;
  ret.Leitor().SetArquivo(RetornoFixture("envio-lote-recusado.xml"));
  ASSERT_TRUE(ret.LerXml());
  EXPECT_EQ(ret.Status().cdResposta, 402);
  EXPECT_EQ(ret.Status().descResposta, "Lote Incorreto - Schema Inválido.");
  ASSERT_EQ(ret.Status().Ocorrencias.size(), 3u);
  const TOcorrencia& primeira = ret.Status().Ocorrencias[0];
  EXPECT_EQ(primeira.Codigo, 1);
  EXPECT_EQ(primeira.Descricao, "Elemento <grupo> inesperado.");
  EXPECT_EQ(primeira.Tipo, 1);
  EXPECT_EQ(primeira.Localizacao, "/eSocial/envioLoteEventos");
  EXPECT_EQ(ret.Status().Ocorrencias[1].Codigo, 2);
  EXPECT_EQ(ret.Status().Ocorrencias[1].Descricao, "Valor & tamanho inválidos");
  EXPECT_EQ(ret.Status().Ocorrencias[1].Tipo, 2);
  EXPECT_EQ(ret.Status().Ocorrencias[1].Localizacao, "");
  EXPECT_EQ(ret.Status().Ocorrencias[2].Localizacao, "evento[3]");
  EXPECT_TRUE(ret.DadosRecLote().Protocolo.empty());
  EXPECT_EQ(ret.IdeEmpregador().NrInsc(), "");
}

TEST(TRetEnvioLote, UnreadableReceptionTimeGivesFalseAndKeepsTheStatus) {
  TRetEnvioLote ret;
  ret.Leitor().SetArquivo(
      "<retornoEnvioLoteEventos><status><cdResposta>201</cdResposta></status>"
      "<dadosRecepcaoLote><dhRecepcao>ontem</dhRecepcao><protocoloEnvio>1.2</protocoloEnvio>"
      "</dadosRecepcaoLote></retornoEnvioLoteEventos>");
  EXPECT_FALSE(ret.LerXml());
  EXPECT_EQ(ret.Status().cdResposta, 201);
}

}  // namespace
}  // namespace luvaro
