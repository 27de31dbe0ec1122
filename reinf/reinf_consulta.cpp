#include "reinf/reinf_consulta.h"

namespace luvaro::reinf {
namespace {

struct Inscricao {
  std::string tipo;
  std::string numero;
};

// A CNPJ (14 characters) travels as its root with type "1"; anything else whole, type "2".
Inscricao Reduzir(const std::string& numero) {
  if (numero.size() == 14) return {"1", numero.substr(0, 8)};
  return {"2", numero};
}

}  // namespace

bool TReinfConsulta::GerarXML() {
  const Inscricao contribuinte = Reduzir(FnrInscContrib);
  const Inscricao estabelecimento = Reduzir(FnrInscEstab);
  const Inscricao tomador = Reduzir(FnrInscTomador);
  const std::string codigo = CodigoDoTipoEvento(FtipoEvento);
  const std::string digitos = codigo.size() > 2 ? codigo.substr(2) : std::string();

  TGerador& g = FGerador;
  g.wGrupoNFSe("consultar" + FSoapEnvelopeAtributtes);
  g.wCampoNFSe(TTipoCampo::tcStr, "", "tipoEvento", 4, 4, 1, digitos);
  g.wCampoNFSe(TTipoCampo::tcInt, "", "tpInsc", 1, 1, 1, contribuinte.tipo);
  g.wCampoNFSe(TTipoCampo::tcStr, "", "nrInsc", 11, 14, 1, contribuinte.numero);

  const auto perApur = [&] { g.wCampoNFSe(TTipoCampo::tcStr, "", "perApur", 7, 7, 1, FperApur); };
  const auto estab = [&](const char* tag) {
    g.wCampoNFSe(TTipoCampo::tcStr, "", tag, 11, 14, 1, estabelecimento.numero);
  };
  const auto tpInscEstab = [&] {
    g.wCampoNFSe(TTipoCampo::tcStr, "", "tpInscEstab", 1, 1, 1, estabelecimento.tipo);
  };

  using enum TTipoEvento;
  switch (FtipoEvento) {
    case teR2099:
    case teR2098:
      perApur();
      break;
    case teR2010:
      perApur();
      tpInscEstab();
      estab("nrInscEstab");
      g.wCampoNFSe(TTipoCampo::tcStr, "", "cnpjPrestador", 11, 14, 1, FcnpjPrestador);
      break;
    case teR2020:
      perApur();
      estab("nrInscEstabPrest");
      g.wCampoNFSe(TTipoCampo::tcStr, "", "tpInscTomador", 1, 1, 1, tomador.tipo);
      g.wCampoNFSe(TTipoCampo::tcStr, "", "nrInscTomador", 11, 14, 1, tomador.numero);
      break;
    case teR2030:
    case teR2040:
    case teR2050:
      perApur();
      estab("nrInscEstab");
      break;
    case teR2060:
      perApur();
      tpInscEstab();
      estab("nrInscEstab");
      break;
    case teR3010:
      g.wCampoNFSe(TTipoCampo::tcDat, "", "dtApur", 10, 10, 1, Variant::Date(FdtApur));
      estab("nrInscEstab");
      break;
    default:
      break;
  }

  g.wGrupoNFSe("/consultar");
  return g.ListaDeAlertas().empty();
}

}  // namespace luvaro::reinf
