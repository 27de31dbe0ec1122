// The text helpers that cut a reply out of its envelope, and the safe file-name part.

#include <gtest/gtest.h>

#include <string>

#include "dfe/ws/nome_arquivo.h"
#include "dfe/ws/resposta_ws.h"

namespace luvaro::test {
namespace {

constexpr const char* kPrefixado =
    "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Body>"
    "<ns2:EnviarLoteEventosResponse><ns2:EnviarLoteEventosResult>dados"
    "</ns2:EnviarLoteEventosResult></ns2:EnviarLoteEventosResponse></s:Body></s:Envelope>";

TEST(ExtrairElemento, Table) {
  struct Caso {
    const char* nome;
    std::string texto;
    std::string elemento;
    bool manterTags;
    bool permitirPrefixo;
    std::string esperado;
  };
  const Caso casos[] = {
      {"content", "<a><retorno>ok</retorno></a>", "retorno", false, true, "ok"},
      {"with tags", "<a><retorno>ok</retorno></a>", "retorno", true, true, "<retorno>ok</retorno>"},
      {"letter case ignored", "<A><RETORNO>ok</RETORNO></A>", "retorno", false, true, "ok"},
      {"cut from the text as given", "<Retorno>Requisição</Retorno>", "RETORNO", false, true,
       "Requisição"},
      {"attributes", "<retorno id=\"1\">ok</retorno>", "retorno", false, true, "ok"},
      {"attributes, with tags", "<retorno id=\"1\">ok</retorno>", "retorno", true, true,
       "<retorno id=\"1\">ok</retorno>"},
      {"a longer name matches", "<retornoEnvio>x</retornoEnvio>", "retorno", false, true, "x"},
      {"a longer name, with tags: cut after the name", "<retornoEnvio>x</retornoEnvio>", "retorno",
       true, true, "<retornoEnvio>x</retornoE"},
      {"empty element", "<retorno></retorno>", "retorno", false, true, ""},
      {"empty element, with tags", "<retorno></retorno>", "retorno", true, true,
       "<retorno></retorno>"},
      {"the first end anywhere counts", "<a href=\"x/retorno\"/><retorno>ok</retorno>", "retorno",
       false, true, ""},
      {"namespace prefix", kPrefixado, "EnviarLoteEventosResult", false, true, "dados"},
      {"namespace prefix, with tags", kPrefixado, "EnviarLoteEventosResult", true, true,
       "<ns2:EnviarLoteEventosResult>dados</ns2:EnviarLoteEventosResult>"},
      {"namespace prefix not allowed", kPrefixado, "EnviarLoteEventosResult", false, false, ""},
      {"the prefix search counts letter case", kPrefixado, "enviarLoteEventosResult", false, true,
       ""},
      {"no start", "<a>x</retorno>", "retorno", false, true, ""},
      {"no end", "<retorno>x", "retorno", false, true, ""},
      {"no end, with tags", "<retorno>x", "retorno", true, true, ""},
      {"nothing at all", "", "retorno", false, true, ""},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    EXPECT_EQ(ExtrairElemento(caso.texto, caso.elemento, caso.manterTags, caso.permitirPrefixo),
              caso.esperado);
  }
}

TEST(DecodificarResposta, Table) {
  struct Caso {
    const char* nome;
    std::string texto;
    std::string esperado;
  };
  const Caso casos[] = {
      {"escaped document", "&lt;retorno&gt;ok&lt;/retorno&gt;", "<retorno>ok</retorno>"},
      {"&amp; first, so a doubly escaped text ends decoded", "a &amp;lt; b", "a < b"},
      {"each entity is replaced in one pass", "&amp;amp;", "&amp;"},
      {"quotes", "&quot;x&quot; &#39;y&#39; &apos;z&apos;", "\"x\" 'y' 'z'"},
      {"named accents",
       "&aacute;&Aacute;&acirc;&Acirc;&atilde;&Atilde;&agrave;&Agrave;&eacute;&Eacute;&ecirc;"
       "&Ecirc;&iacute;&Iacute;&oacute;&Oacute;&otilde;&Otilde;&ocirc;&Ocirc;&uacute;&Uacute;"
       "&uuml;&Uuml;&ccedil;&Ccedil;",
       "áÁâÂãÃàÀéÉêÊíÍóÓõÕôÔúÚüÜçÇ"},
      {"an accent in a sentence", "Requisi&ccedil;&atilde;o v&aacute;lida", "Requisição válida"},
      {"other entities stay", "&nbsp;&#231;", "&nbsp;&#231;"},
      {"UTF-8 unchanged", "Requisição recebida", "Requisição recebida"},
      {"8-bit bytes", "Requisi\xE7\xE3o", "Requisição"},
      {"8-bit bytes with an entity", "\xE9 &amp; \xE0", "é & à"},
      {"characters outside the 8-bit page survive an entity", "Ω &amp; € 😀", "Ω & € 😀"},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    EXPECT_EQ(DecodificarResposta(caso.texto), caso.esperado);
  }
}

TEST(TextoEntre, Table) {
  struct Caso {
    const char* nome;
    std::string texto, inicio, fim;
    bool incluir;
    std::string esperado;
  };
  const Caso casos[] = {
      {"between", "x<a>meio</a>y", "<a>", "</a>", false, "meio"},
      {"with the markers", "x<a>meio</a>y", "<a>", "</a>", true, "<a>meio</a>"},
      {"first start, first end after it", "</a><a>1</a><a>2</a>", "<a>", "</a>", false, "1"},
      {"adjacent markers", "<a></a>", "<a>", "</a>", false, ""},
      {"adjacent markers, included", "<a></a>", "<a>", "</a>", true, "<a></a>"},
      {"the end is searched after the start marker", "[x]y]", "[", "]", false, "x"},
      {"no start", "meio</a>", "<a>", "</a>", false, ""},
      {"no end", "<a>meio", "<a>", "</a>", true, ""},
      {"end only before the start", "</a><a>meio", "<a>", "</a>", false, ""},
      {"empty start marker", "<a>meio</a>", "", "</a>", false, ""},
      {"empty end marker", "<a>meio</a>", "<a>", "", false, ""},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    EXPECT_EQ(TextoEntre(caso.texto, caso.inicio, caso.fim, caso.incluir), caso.esperado);
  }
}

TEST(NomeArquivoSeguro, Table) {
  struct Caso {
    const char* nome;
    std::string parte, esperado;
  };
  const Caso casos[] = {
      {"ordinary name", "lote-eventos_1", "lote-eventos_1"},
      {"receipt number", "1.2.202301.0000000000000123456", "1.2.202301.0000000000000123456"},
      {"parent folder", "../x", ".__x"},
      {"separators", "a/b\\c", "a_b_c"},
      {"dots in a row", "...", "._."},
      {"non-ASCII bytes", "ação", "a____o"},
      {"control characters and blanks", "a b\tc\n", "a_b_c_"},
      {"empty", "", ""},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    EXPECT_EQ(NomeArquivoSeguro(caso.parte), caso.esperado);
  }
}

}  // namespace
}  // namespace luvaro::test
