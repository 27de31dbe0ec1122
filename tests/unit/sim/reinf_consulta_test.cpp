// The query service of the EFD-Reinf stand-in: the consolidated information of a closing
// (R-5011, checked against evtTotalContrib and its signature) and the receipts of accepted
// events, asked as the program asks them.
#include "tests/unit/sim/reinf_test_support.h"

namespace luvaro::sim::reinf::test {
namespace {

class ReinfConsultaTest : public ReinfFixture {
 protected:
  // Sends the period's events and its closing; the protocol of the closing.
  static std::string Fechar(ReinfService& service, bool comEventos) {
    std::vector<std::pair<std::string, std::string>> eventos;
    if (comEventos) {
      const std::string segundo = "ID1123456780000002024040110300000012";
      eventos = {
          {std::string(kIdR2010), Signed(Fixture("r2010-tomador.xml"))},
          {segundo, Signed(Trocar(Trocar(Trocar(Fixture("r2010-tomador.xml"), kIdR2010, segundo),
                                         "<vlrTotalBaseRet>10000,00", "<vlrTotalBaseRet>2000,00"),
                                  "<vlrTotalRetPrinc>1100,00", "<vlrTotalRetPrinc>220,00"))},
          {std::string(kIdR2020), Signed(Fixture("r2020-prestador.xml"))},
      };
    }
    eventos.emplace_back(std::string(kIdR2099), Signed(Fixture("r2099-fechamento.xml")));
    XmlDoc retorno = Enviar(service, Lote(eventos));
    if (!retorno) return {};
    const std::vector<EventoDoRetorno> respostas = Eventos(retorno.get());
    EXPECT_EQ(respostas.size(), eventos.size());
    for (const EventoDoRetorno& r : respostas) EXPECT_TRUE(Codigos(r.r5001).empty()) << r.r5001;
    return respostas.empty() ? std::string() : Campo(respostas.back().r5001, "nrProtEntr");
  }

  // The consolidated query as the program sends it; the R-5011 text, checked against its
  // schema and signature.
  static std::string Consolidada(ReinfService& service, std::string_view tipo,
                                 std::string_view numero, std::string_view protocolo) {
    const HttpReply reply = service.Handle(
        PostConsulta(kActionConsolidada, EnvelopeConsolidada(tipo, numero, protocolo)));
    XmlDoc doc = Resultado(reply, "evtTotalContrib-v1_04_00.xsd");
    if (!doc) return {};
    const std::string text = SerializeNode(xmlDocGetRootElement(doc.get()));
    ExpectSignedByService(text, "r5011");
    return text;
  }

  // A query whose answer is the status shape (Reinf/ideStatus/retornoEventos).
  static std::string Consulta(ReinfService& service, std::string_view action,
                              std::string envelope) {
    const HttpReply reply = service.Handle(PostConsulta(action, std::move(envelope)));
    XmlDoc doc = Resultado(reply, "");
    return doc ? SerializeNode(xmlDocGetRootElement(doc.get())) : std::string();
  }
};

TEST_F(ReinfConsultaTest, ClosingProtocolGivesTheR5011OfThePeriod) {
  ReinfService service(Config());
  const std::string protocolo = Fechar(service, true);
  ASSERT_EQ(protocolo.size(), 49u) << protocolo;

  const std::string r5011 = Consolidada(service, "1", "12345678", protocolo);
  EXPECT_EQ(Campo(r5011, "cdRetorno"), "0");
  EXPECT_EQ(Campo(r5011, "perApur"), "2024-03");
  EXPECT_EQ(Campo(r5011, "nrProtEntr"), protocolo);
  EXPECT_EQ(Campo(r5011, "tpEv"), "2099");
  EXPECT_EQ(Campo(r5011, "idEv"), kIdR2099);
  EXPECT_EQ(Campo(r5011, "indExistInfo"), "1");
  EXPECT_FALSE(Campo(r5011, "nrRecArqBase").empty());
  // Both R-2010 of the provider summed; the R-2020 per taker.
  EXPECT_NE(r5011.find("<RTom><cnpjPrestador>11222333000181</cnpjPrestador><vlrTotalBaseRet>"
                       "12000,00</vlrTotalBaseRet><infoCRTom><CRTom>116201</CRTom><VlrCRTom>"
                       "1320,00</VlrCRTom><VlrCRTomSusp>100,00</VlrCRTomSusp></infoCRTom></RTom>"),
            std::string::npos)
      << r5011;
  EXPECT_NE(r5011.find("<RPrest><tpInscTomador>1</tpInscTomador><nrInscTomador>44555666000190"
                       "</nrInscTomador><vlrTotalBaseRet>4000,00</vlrTotalBaseRet>"
                       "<vlrTotalRetPrinc>440,00</vlrTotalRetPrinc></RPrest>"),
            std::string::npos)
      << r5011;

  // The whole CNPJ names the same contributor.
  EXPECT_EQ(Campo(Consolidada(service, "1", "12345678000195", protocolo), "indExistInfo"), "1");
}

TEST_F(ReinfConsultaTest, PeriodWithoutEventsAndClosingStillInProcessing) {
  ReinfConfig config = Config();
  config.consultasPendentes = 1;
  ReinfService service(std::move(config));
  const std::string protocolo = Fechar(service, false);

  const std::string pendente = Consolidada(service, "1", "12345678", protocolo);
  EXPECT_EQ(Campo(pendente, "cdRetorno"), "2");
  EXPECT_EQ(Campo(pendente, "descRetorno"), "Em processamento.");
  EXPECT_EQ(pendente.find("<infoTotalContrib>"), std::string::npos);

  const std::string pronto = Consolidada(service, "1", "12345678", protocolo);
  EXPECT_EQ(Campo(pronto, "cdRetorno"), "0");
  EXPECT_EQ(Campo(pronto, "indExistInfo"), "3");
  EXPECT_EQ(pronto.find("<RTom>"), std::string::npos);
}

TEST_F(ReinfConsultaTest, ConsolidatedQueriesThatCannotBeServedAreAnsweredWithTheirReason) {
  ReinfService service(Config());
  const std::string protocolo = Fechar(service, false);
  const std::string desconhecido = std::string(protocolo).replace(protocolo.size() - 1, 1, "9");
  struct Case {
    std::string name;
    std::string envelope;
    std::string codigo;
  };
  const Case cases[] = {
      {"protocolo desconhecido", EnvelopeConsolidada("1", "12345678", desconhecido), "302"},
      {"protocolo de outro contribuinte", EnvelopeConsolidada("1", "87654321", protocolo), "303"},
      {"CPF no lugar do CNPJ", EnvelopeConsolidada("2", "12345678", protocolo), "301"},
      {"tipo de inscrição inválido", EnvelopeConsolidada("3", "12345678", protocolo), "301"},
      {"contribuinte vazio", EnvelopeConsolidada("2", "", protocolo), "301"},
      {"protocolo vazio", EnvelopeConsolidada("1", "12345678", ""), "301"},
      {"campos em outro namespace",
       Trocar(EnvelopeConsolidada("1", "12345678", protocolo),
              "xmlns:v1=\"http://sped.fazenda.gov.br/\"",
              "xmlns:v1=\"http://sped.fazenda.gov.br\""),
       "301"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string resposta = Consulta(service, kActionConsolidada, c.envelope);
    EXPECT_EQ(Campo(resposta, "cdRetorno"), "1") << resposta;
    EXPECT_EQ(Codigos(resposta), std::vector<std::string>{c.codigo}) << resposta;
    EXPECT_EQ(resposta.find("evtTotalContrib"), std::string::npos);
  }
}

TEST_F(ReinfConsultaTest, ReceiptQueryFindsTheAcceptedEventsOfItsKey) {
  ReinfService service(Config());
  const std::string r1000 =
      EnviarUm(service, std::string(kIdR1000), Signed(Fixture("r1000-contribuinte.xml")));
  const std::string r2010 =
      EnviarUm(service, std::string(kIdR2010), Signed(Fixture("r2010-tomador.xml")));
  using Campos = std::vector<std::pair<std::string, std::string>>;
  // The program writes a 14-digit establishment as its 8-digit root with type 1.
  const Campos chave2010 = {{"tipoEvento", "2010"},
                            {"tpInsc", "1"},
                            {"nrInsc", "12345678"},
                            {"perApur", "2024-03"},
                            {"tpInscEstab", "1"},
                            {"nrInscEstab", "12345678"},
                            {"cnpjPrestador", "11222333000181"}};
  struct Case {
    std::string name;
    std::string tpEv;
    Campos campos;
    std::string cdRetorno;
    std::vector<std::string> ids;      // the events found
    std::vector<std::string> codigos;  // the occurrences
  };
  auto sem = [](Campos campos, std::string_view nome) {
    std::erase_if(campos, [&](const auto& c) { return c.first == nome; });
    return campos;
  };
  auto com = [](Campos campos, std::string_view nome, std::string valor) {
    for (auto& c : campos) {
      if (c.first == nome) c.second = std::move(valor);
    }
    return campos;
  };
  const Case cases[] = {
      {"R-2010 pela chave do estabelecimento", "2010", chave2010, "0", {std::string(kIdR2010)}, {}},
      {"R-2010 com o CNPJ inteiro do estabelecimento",
       "2010",
       com(chave2010, "nrInscEstab", "12345678000195"),
       "0",
       {std::string(kIdR2010)},
       {}},
      {"R-2010 de outro período", "2010", com(chave2010, "perApur", "2024-04"), "0", {}, {}},
      {"R-2010 de outro prestador",
       "2010",
       com(chave2010, "cnpjPrestador", "11222333000262"),
       "0",
       {},
       {}},
      {"R-2010 sem o período", "2010", sem(chave2010, "perApur"), "1", {}, {"301"}},
      {"tipo do corpo diferente do da ação", "2020", chave2010, "1", {}, {"301"}},
      {"R-1000 do contribuinte",
       "1000",
       {{"tipoEvento", "1000"}, {"tpInsc", "1"}, {"nrInsc", "12345678"}},
       "0",
       {std::string(kIdR1000)},
       {}},
      {"R-1000 de outro contribuinte",
       "1000",
       {{"tipoEvento", "1000"}, {"tpInsc", "1"}, {"nrInsc", "87654321"}},
       "0",
       {},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string resposta =
        Consulta(service, std::string(kActionRecibo) + c.tpEv, EnvelopeRecibo(c.tpEv, c.campos));
    EXPECT_EQ(Campo(resposta, "cdRetorno"), c.cdRetorno) << resposta;
    EXPECT_EQ(Codigos(resposta), c.codigos) << resposta;
    ParsedXml parsed = ParseXml(resposta);
    ASSERT_TRUE(parsed.doc) << resposta;
    std::vector<std::string> ids;
    for (xmlNode* e : FindAll(xmlDocGetRootElement(parsed.doc.get()), "evento")) {
      ids.push_back(Attribute(e, "id").value_or(""));
      EXPECT_EQ(ChildText(e, "situacaoEvento"), "Ativo");
      EXPECT_FALSE(ChildText(e, "dtHoraRecebimento").empty());
      const std::string& r5001 = c.tpEv == "1000" ? r1000 : r2010;
      EXPECT_EQ(ChildText(e, "nrRecibo"), Campo(r5001, "nrRecArqBase"));
      EXPECT_EQ(ChildText(e, "iniValid"), c.tpEv == "1000" ? "2024-03" : "");
    }
    EXPECT_EQ(ids, c.ids);
  }
}

TEST_F(ReinfConsultaTest, ExcludedEventNoLongerHasAnActiveReceipt) {
  ReinfService service(Config());
  const std::string r2010 =
      EnviarUm(service, std::string(kIdR2010), Signed(Fixture("r2010-tomador.xml")));
  const std::string exclusao = EnviarUm(
      service, std::string(kIdR9000),
      Signed(Trocar(Fixture("r9000-exclusao.xml"), "RECIBO", Campo(r2010, "nrRecArqBase"))));
  EXPECT_TRUE(Codigos(exclusao).empty()) << exclusao;
  const std::string resposta =
      Consulta(service, std::string(kActionRecibo) + "2010",
               EnvelopeRecibo("2010", {{"tipoEvento", "2010"},
                                       {"tpInsc", "1"},
                                       {"nrInsc", "12345678"},
                                       {"perApur", "2024-03"},
                                       {"tpInscEstab", "1"},
                                       {"nrInscEstab", "12345678000195"},
                                       {"cnpjPrestador", "11222333000181"}}));
  EXPECT_EQ(Campo(resposta, "descRetorno"),
            "Sucesso. Nenhum evento encontrado para os parâmetros informados.");
  EXPECT_EQ(resposta.find("<retornoEventos>"), std::string::npos) << resposta;
}

}  // namespace
}  // namespace luvaro::sim::reinf::test
