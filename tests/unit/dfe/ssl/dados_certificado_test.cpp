#include "dfe/ssl/dados_certificado.h"

#include <gtest/gtest.h>

namespace luvaro {
namespace {

struct SubjectCase {
  const char* name;
  const char* subject;
  const char* razaoSocial;
  const char* cnpj;
};

TEST(TDadosCertificado, SubjectNameDerivesRazaoSocialAndCNPJ) {
  const SubjectCase cases[] = {
      {"company with valid CNPJ", "C=BR, O=ICP-Brasil, CN=EMPRESA TESTE LTDA:12345678000195",
       "EMPRESA TESTE LTDA", "12345678000195"},
      {"CN first, more after it", "CN=EMPRESA TESTE LTDA:12345678000195, OU=RFB e-CNPJ A3, C=BR",
       "EMPRESA TESTE LTDA", "12345678000195"},
      {"no colon: whole common name", "C=BR, O=ICP-Brasil, CN=EMPRESA SEM NUMERO",
       "EMPRESA SEM NUMERO", ""},
      {"no colon, comma ends the name", "CN=EMPRESA SEM NUMERO, O=ICP-Brasil, C=BR",
       "EMPRESA SEM NUMERO", ""},
      {"e-CPF: holder's CPF", "CN=FULANO DE TAL:52998224725, OU=RFB e-CPF A3, C=BR",
       "FULANO DE TAL", "52998224725"},
      {"wrong check digits", "C=BR, CN=EMPRESA ERRADA:12345678000100", "EMPRESA ERRADA", ""},
      {"number with punctuation is reduced to digits", "C=BR, CN=EMPRESA:12.345.678/0001-95",
       "EMPRESA", ""},
      {"no common name", "C=BR, O=ICP-Brasil", "", ""},
      {"empty", "", "", ""},
  };
  for (const SubjectCase& c : cases) {
    SCOPED_TRACE(c.name);
    TDadosCertificado dados;
    dados.SetSubjectName(c.subject);
    EXPECT_EQ(dados.SubjectName(), c.subject);
    EXPECT_EQ(dados.RazaoSocial(), c.razaoSocial);
    EXPECT_EQ(dados.CNPJ(), c.cnpj);
  }
}

TEST(TDadosCertificado, IssuerNameDerivesCertificadora) {
  const struct {
    const char* name;
    const char* issuer;
    const char* certificadora;
  } cases[] = {
      {"up to RFB",
       "C=BR, O=ICP-Brasil, OU=Secretaria da Receita Federal do Brasil - RFB, "
       "CN=AC LUVARO TESTE RFB v5",
       "AC LUVARO TESTE"},
      {"up to the comma", "CN=AC SOLUTI Multipla v5, O=ICP-Brasil, C=BR", "AC SOLUTI Multipla v5"},
      {"to the end", "C=BR, O=ICP-Brasil, CN=AC RAIZ", "AC RAIZ"},
      {"no common name", "C=BR, O=ICP-Brasil", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDadosCertificado dados;
    dados.SetIssuerName(c.issuer);
    EXPECT_EQ(dados.Certificadora(), c.certificadora);
  }
}

TEST(TDadosCertificado, ClearEmptiesEverything) {
  TDadosCertificado dados;
  dados.SetNumeroSerie("01");
  dados.SetSubjectName("CN=EMPRESA:12345678000195");
  dados.SetIssuerName("CN=AC X");
  dados.SetTipo(TSSLTipoCertificado::tpcA3);
  dados.SetDataVenc(45000);
  dados.Clear();
  EXPECT_EQ(dados.NumeroSerie(), "");
  EXPECT_EQ(dados.RazaoSocial(), "");
  EXPECT_EQ(dados.CNPJ(), "");
  EXPECT_EQ(dados.Certificadora(), "");
  EXPECT_EQ(dados.Tipo(), TSSLTipoCertificado::tpcDesconhecido);
  EXPECT_EQ(dados.DataVenc(), 0);
}

TEST(TListaCertificados, NewAppendsEmptyEntries) {
  TListaCertificados lista;
  lista.New().SetNumeroSerie("01");
  lista.New().SetNumeroSerie("02");
  ASSERT_EQ(lista.Count(), 2u);
  EXPECT_EQ(lista[1].NumeroSerie(), "02");
  EXPECT_EQ(lista[0].Tipo(), TSSLTipoCertificado::tpcDesconhecido);
  lista.Clear();
  EXPECT_EQ(lista.Count(), 0u);
}

}  // namespace
}  // namespace luvaro
