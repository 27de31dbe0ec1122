// The shared loading of a lot's documents: which documents stay out of the lot, how each is
// named in the log and in the end-of-send message, and what a signed event that failed its
// schema leaves in the log.

#include "workers/eventos_deixados.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dfe/dfe_exception.h"
#include "dfe/falha_validacao.h"
#include "dfe/ssl/dfe_ssl.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace luvaro {

void PrintTo(const TEventoDeixado& d, std::ostream* os) {
  *os << "{" << d.Posicao << ", " << d.Identificador << ", " << d.Motivo << "}";
}

namespace {

using EValidacaoTeste = EValidacaoEvento<EDFeException>;

// A container that behaves by a word in each document, as the protocols' containers do: "ok"
// is signed and kept; "invalido" is kept and fails its schema; "semschema" is kept and its
// schema file is missing; "gravacao" is kept and its file cannot be written; "malformado"
// fails before its signature; "pin" meets a token that
// refused its PIN; anything else is of no known type and raises nothing.
struct ConteinerFalso {
  std::vector<std::string> oferecidos;
  std::vector<std::string> eventos;

  TConteinerEventos Interface() {
    return {"</eSocial>", [this](const std::string& d) { Carregar(d); },
            [this] { return eventos.size(); }};
  }

  void Carregar(const std::string& documento) {
    oferecidos.push_back(documento);
    const auto tem = [&](const char* palavra) {
      return documento.find(palavra) != std::string::npos;
    };
    if (tem(">ok<")) {
      eventos.push_back(documento);
    } else if (tem(">invalido<")) {
      eventos.push_back(documento);
      throw EValidacaoTeste("Falha na validação dos dados do evento: evtX-v1\r\n",
                            "Falha na validação dos dados do evento: evtX-v1\r\n\r\n"
                            "1871 - Element 'x': This element is not expected.",
                            false);
    } else if (tem(">semschema<")) {
      eventos.push_back(documento);
      throw EValidacaoTeste("Falha na validação dos dados do evento: evtX-v\r\n",
                            "Falha na validação dos dados do evento: evtX-v\r\n\r\nArquivo "
                            "\r\n/schemas/evtX-v.xsd\r\nNão encontrado",
                            true);
    } else if (tem(">gravacao<")) {
      eventos.push_back(documento);
      throw EDFeException("Não foi possível gravar o arquivo \"/docs/x.xml\".");
    } else if (tem(">malformado<")) {
      throw EDFeException("Erro: Falha ao interpretar o XML\r\nlinha 1");
    } else if (tem(">pin<")) {
      throw EDFeExceptionPIN("O token recusou o PIN.");
    }
  }
};

std::string Doc(const std::string& id, const std::string& conteudo) {
  const std::string atributo = id.empty() ? "" : " Id=\"" + id + "\"";
  return "<eSocial><evtX" + atributo + ">" + conteudo + "</evtX></eSocial>";
}

class EventosDeixadosTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LUVARO_HOME", home.path().c_str(), 1);
    fs::create_directories(home / "Logs");
  }
  void TearDown() override { unsetenv("LUVARO_HOME"); }

  // The log lines written so far, without their time stamps.
  std::vector<std::string> Linhas() const {
    std::vector<std::string> linhas;
    for (const auto& arquivo : fs::directory_iterator(home / "Logs")) {
      std::ifstream in(arquivo.path(), std::ios::binary);
      for (std::string linha; std::getline(in, linha);) {
        if (linha.ends_with('\r')) linha.pop_back();
        linhas.push_back(linha.substr(linha.find(" - ") + 3));
      }
    }
    return linhas;
  }
  void LimparLog() {
    for (const auto& arquivo : fs::directory_iterator(home / "Logs")) fs::remove(arquivo);
  }

  test::TempDir home{"luvaro-eventos-deixados"};
};

// One document at a time: whether it stays out, and the one log line it leaves (if any).
TEST_F(EventosDeixadosTest, EachKindOfDocument) {
  const std::string semFechamento = "<eSocial><evtX Id=\"ID6\">ok</evtX>";
  struct Caso {
    const char* nome;
    std::string texto;
    std::vector<TEventoDeixado> deixados;
    std::vector<std::string> log;
  } casos[] = {
      {"signed", Doc("ID1", "ok"), {}, {}},
      {"signed, schema failed: stays, validator's text on one line",
       Doc("ID2", "invalido"),
       {},
       {"Evento incluído no lote com falha de validação - posição 1 (ID2): Falha na validação "
        "dos dados do evento: evtX-v1 1871 - Element 'x': This element is not expected."}},
      {"signed, schema file missing: nothing to say", Doc("ID3", "semschema"), {}, {}},
      {"signed, its file not written: stays, named in the log",
       Doc("ID7", "gravacao"),
       {},
       {"Evento incluído no lote com falha na carga - posição 1 (ID7): Não foi possível gravar "
        "o arquivo \"/docs/x.xml\"."}},
      {"unknown type",
       Doc("ID4", "?"),
       {{1, "ID4", "Tipo de evento não reconhecido."}},
       {"Evento não incluído no lote - posição 1 (ID4): Tipo de evento não reconhecido."}},
      {"failed before its signature",
       Doc("ID5", "malformado"),
       {{1, "ID5", "Erro: Falha ao interpretar o XML linha 1"}},
       {"Evento não incluído no lote - posição 1 (ID5): Erro: Falha ao interpretar o XML "
        "linha 1"}},
      {"no identifier",
       Doc("", "?"),
       {{1, "", "Tipo de evento não reconhecido."}},
       {"Evento não incluído no lote - posição 1: Tipo de evento não reconhecido."}},
      {"no closing tag",
       semFechamento,
       {{1, "ID6", "Documento sem o fechamento </eSocial>."}},
       {"Evento não incluído no lote - posição 1 (ID6): Documento sem o fechamento "
        "</eSocial>."}},
      {"empty text",
       "  ",
       {{1, "", "Documento sem o fechamento </eSocial>."}},
       {"Evento não incluído no lote - posição 1: Documento sem o fechamento </eSocial>."}},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    LimparLog();
    ConteinerFalso conteiner;
    EXPECT_EQ(CarregarEventosDoLote({c.texto}, conteiner.Interface()), c.deixados);
    EXPECT_EQ(Linhas(), c.log);
  }
}

// Positions count the documents of the whole lot, also several in one text and a piece after
// the last one; the blanks before a document are not handed to the container.
TEST_F(EventosDeixadosTest, PositionsAndMessageOfTheWholeLot) {
  ConteinerFalso conteiner;
  const std::vector<std::string> textos = {
      Doc("ID1", "ok"),
      "\r\n  " + Doc("ID2", "?") + "\n" + Doc("ID3", "ok") + " <eSocial><evtX Id='ID9'>",
      Doc("ID5", "malformado"),
  };
  const std::vector<TEventoDeixado> deixados = CarregarEventosDoLote(textos, conteiner.Interface());

  EXPECT_EQ(deixados, (std::vector<TEventoDeixado>{
                          {2, "ID2", "Tipo de evento não reconhecido."},
                          {4, "ID9", "Documento sem o fechamento </eSocial>."},
                          {5, "ID5", "Erro: Falha ao interpretar o XML linha 1"},
                      }));
  EXPECT_EQ(conteiner.oferecidos,
            (std::vector<std::string>{Doc("ID1", "ok"), Doc("ID2", "?"), Doc("ID3", "ok"),
                                      Doc("ID5", "malformado")}));
  EXPECT_EQ(conteiner.eventos.size(), 2u);
  EXPECT_EQ(Linhas().size(), 3u);
  EXPECT_EQ(MensagemEventosDeixados(deixados),
            "3 evento(s) não foram incluídos no lote:\r"
            "Posição 2 (ID2): Tipo de evento não reconhecido.\r"
            "Posição 4 (ID9): Documento sem o fechamento </eSocial>.\r"
            "Posição 5 (ID5): Erro: Falha ao interpretar o XML linha 1");
}

// A token that refused its PIN ends the loading: no later document is offered.
TEST_F(EventosDeixadosTest, RefusedPinEndsTheLoading) {
  ConteinerFalso conteiner;
  EXPECT_THROW(CarregarEventosDoLote({Doc("ID1", "ok"), Doc("ID2", "pin"), Doc("ID3", "ok")},
                                     conteiner.Interface()),
               EDFeExceptionPIN);
  EXPECT_EQ(conteiner.oferecidos.size(), 2u);
  EXPECT_TRUE(Linhas().empty());
}

// Without a Logs folder the loading goes on and still names what it left out.
TEST_F(EventosDeixadosTest, WithoutLogsFolder) {
  fs::remove_all(home / "Logs");
  ConteinerFalso conteiner;
  EXPECT_EQ(CarregarEventosDoLote({Doc("ID4", "?"), Doc("ID2", "invalido")}, conteiner.Interface())
                .size(),
            1u);
  EXPECT_EQ(conteiner.eventos.size(), 1u);
}

TEST(IdentificadorDoDocumento, FirstIdAttribute) {
  const struct {
    const char* documento;
    const char* id;
  } casos[] = {
      {"<eSocial><evtX Id=\"ID1\">", "ID1"},
      {"<Reinf><evtServTom id='ID2'>", "ID2"},
      {"<a xid=\"nao\" ID=\"ID3\">", "ID3"},
      {"<a\r\n\tId=\"ID4\"/>", "ID4"},
      {"<aId=\"nao\"/>", ""},
      {"<a Id=semaspas/>", ""},
      {"<a Id=\"sem fim", ""},
      {"sem atributo", ""},
      {"", ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.documento);
    EXPECT_EQ(IdentificadorDoDocumento(c.documento), c.id);
  }
}

TEST(EmUmaLinha, LineBreaksBecomeOneBlank) {
  const struct {
    const char* texto;
    const char* linha;
  } casos[] = {
      {"a\r\nb", "a b"},
      {"a \r\n  b", "a b"},
      {"a  b", "a  b"},
      {"\r\na\r\n", "a"},
      {"x\r\r\ny", "x y"},
      {"a\rb\nc", "a b c"},
      {"sem quebra", "sem quebra"},
      {"", ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.texto);
    EXPECT_EQ(EmUmaLinha(c.texto), c.linha);
  }
}

}  // namespace
}  // namespace luvaro
