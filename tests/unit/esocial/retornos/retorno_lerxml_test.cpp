// What every reply class does with text that is not its reply: false, empty objects, no
// exception.
#include <gtest/gtest.h>

#include "esocial/retorno_consulta_ident.h"
#include "esocial/retorno_consulta_lote.h"
#include "esocial/retorno_download.h"
#include "esocial/retorno_envio_lote.h"
#include "tests/unit/esocial/retornos/retorno_teste.h"

namespace luvaro {
namespace {

// Reads `texto` with a fresh reply object; its result and its status code.
template <typename T>
std::pair<bool, int> Ler(const std::string& texto) {
  T ret;
  ret.Leitor().SetArquivo(texto);
  const bool lido = ret.LerXml();
  return {lido, ret.Status().cdResposta};
}

TEST(RetornoLerXml, TextOfAnotherShapeGivesFalseAndEmptyObjects) {
  struct Caso {
    const char* nome;
    std::string texto;
  };
  const Caso casos[] = {
      {"empty", ""},
      {"not XML", "Servico indisponivel {status: 503}"},
      {"HTML page", "<html><body><h1>503</h1><status><cdResposta>503</cdResposta></status>"},
      {"SOAP fault", "<s:Fault><faultstring>Falha</faultstring></s:Fault>"},
      {"root without closing tag",
       "<retornoEnvioLoteEventos><retornoProcessamentoLoteEventos>"
       "<retornoConsultaIdentificadoresEvts><download><status><cdResposta>201</cdResposta>"},
      {"root in other case",
       "<RETORNOENVIOLOTEEVENTOS></RETORNOENVIOLOTEEVENTOS><DOWNLOAD></DOWNLOAD>"},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    EXPECT_EQ(Ler<TRetEnvioLote>(caso.texto), std::make_pair(false, 0));
    EXPECT_EQ(Ler<TRetConsultaLote>(caso.texto), std::make_pair(false, 0));
    EXPECT_EQ(Ler<TRetConsultaIdentEvt>(caso.texto), std::make_pair(false, 0));
    EXPECT_EQ(Ler<TRetDownloadEvt>(caso.texto), std::make_pair(false, 0));
  }
}

TEST(RetornoLerXml, EachClassReadsOnlyItsOwnReply) {
  const std::string envio = test::RetornoFixture("envio-lote-aceito.xml");
  EXPECT_TRUE(Ler<TRetEnvioLote>(envio).first);
  EXPECT_FALSE(Ler<TRetConsultaLote>(envio).first);
  EXPECT_FALSE(Ler<TRetConsultaIdentEvt>(envio).first);
  EXPECT_FALSE(Ler<TRetDownloadEvt>(envio).first);
}

TEST(RetornoLerXml, ReadingAgainStartsFromEmptyObjects) {
  TRetConsultaLote ret;
  ret.Leitor().SetArquivo(test::RetornoFixture("consulta-lote-dois-eventos.xml"));
  ASSERT_TRUE(ret.LerXml());
  ASSERT_TRUE(ret.LerXml());
  EXPECT_EQ(ret.RetEventos().size(), 2u);
  ret.Leitor().SetArquivo("<nada/>");
  EXPECT_FALSE(ret.LerXml());
  EXPECT_TRUE(ret.RetEventos().empty());
  EXPECT_EQ(ret.DadosRecLote().Protocolo, "");
}

}  // namespace
}  // namespace luvaro
