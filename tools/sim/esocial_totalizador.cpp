#include "tools/sim/esocial_totalizador_int.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <tuple>

#include "tools/sim/esocial_xml_text.h"

namespace luvaro::sim::esocial {
namespace {

std::string Namespace(std::string_view evento, const std::string& versao) {
  return "http://www.esocial.gov.br/schema/evt/" + std::string(evento) + "/" + versao;
}

void IdeEmpregador(XmlText& xml, xmlNode* evt) {
  xmlNode* ide = ChildElement(evt, "ideEmpregador");
  xml.Open("ideEmpregador")
      .Leaf("tpInsc", ChildText(ide, "tpInsc"))
      .Leaf("nrInsc", ChildText(ide, "nrInsc"))
      .Close();
}

using ChaveEstabLot = std::tuple<std::string, std::string, std::string>;  // tpInsc, nrInsc, lot.

}  // namespace

long long Centavos(std::string_view valor) {
  bool negativo = false;
  std::size_t i = 0;
  if (i < valor.size() && (valor[i] == '-' || valor[i] == '+')) negativo = valor[i++] == '-';
  long long inteiro = 0;
  int decimais = 0;
  long long fracao = 0;
  bool ponto = false;
  bool algum = false;
  for (; i < valor.size(); ++i) {
    const char c = valor[i];
    if (c == '.' && !ponto) {
      ponto = true;
    } else if (c >= '0' && c <= '9') {
      algum = true;
      if (!ponto) {
        if (inteiro > 99999999999999LL) return 0;
        inteiro = inteiro * 10 + (c - '0');
      } else if (decimais < 2) {
        fracao = fracao * 10 + (c - '0');
        ++decimais;
      }
    } else {
      return 0;
    }
  }
  if (!algum) return 0;
  if (decimais == 1) fracao *= 10;
  const long long total = inteiro * 100 + fracao;
  return negativo ? -total : total;
}

std::string Valor(long long centavos) {
  const bool negativo = centavos < 0;
  const long long abs = negativo ? -centavos : centavos;
  std::string cents = std::to_string(abs % 100);
  if (cents.size() == 1) cents.insert(0, "0");
  return (negativo ? "-" : "") + std::to_string(abs / 100) + "." + cents;
}

std::string MontarS5001(xmlNode* evtRemun, const OrigemTotalizador& origem,
                        std::vector<BaseCalculo>& bases) {
  xmlNode* ideEvento = ChildElement(evtRemun, "ideEvento");
  xmlNode* ideTrabalhador = ChildElement(evtRemun, "ideTrabalhador");

  // Sum of the pay items per establishment/lotação and category, in document order.
  std::vector<ChaveEstabLot> ordem;
  std::map<ChaveEstabLot, std::vector<std::pair<std::string, long long>>> somas;
  for (xmlNode* dmDev : ChildElements(evtRemun, "dmDev")) {
    const std::string codCateg = ChildText(dmDev, "codCateg");
    for (xmlNode* estab : ChildElements(ChildElement(dmDev, "infoPerApur"), "ideEstabLot")) {
      ChaveEstabLot chave{ChildText(estab, "tpInsc"), ChildText(estab, "nrInsc"),
                          ChildText(estab, "codLotacao")};
      long long total = 0;
      for (xmlNode* remun : ChildElements(estab, "remunPerApur")) {
        for (xmlNode* item : ChildElements(remun, "itensRemun")) {
          total += Centavos(ChildText(item, "vrRubr"));
        }
      }
      auto [it, novo] = somas.try_emplace(chave);
      if (novo) ordem.push_back(chave);
      auto& categorias = it->second;
      auto cat = std::find_if(categorias.begin(), categorias.end(),
                              [&](const auto& c) { return c.first == codCateg; });
      if (cat == categorias.end()) {
        categorias.emplace_back(codCateg, total);
      } else {
        cat->second += total;
      }
    }
  }

  XmlText xml;
  xml.Open("eSocial", {{"xmlns", Namespace("evtBasesTrab", origem.versao)}})
      .Open("evtBasesTrab", {{"Id", origem.id}})
      .Open("ideEvento")
      .Leaf("nrRecArqBase", origem.nrRecibo)
      .Leaf("indApuracao", ChildText(ideEvento, "indApuracao"))
      .Leaf("perApur", ChildText(ideEvento, "perApur"))
      .Close();
  IdeEmpregador(xml, evtRemun);
  xml.Open("ideTrabalhador").Leaf("cpfTrab", ChildText(ideTrabalhador, "cpfTrab")).Close();
  if (!ordem.empty()) {
    xml.Open("infoCp");
    for (const ChaveEstabLot& chave : ordem) {
      const auto& [tpInsc, nrInsc, codLotacao] = chave;
      xml.Open("ideEstabLot")
          .Leaf("tpInsc", tpInsc)
          .Leaf("nrInsc", nrInsc)
          .Leaf("codLotacao", codLotacao);
      for (const auto& [codCateg, centavos] : somas[chave]) {
        // Type 11: the ordinary contribution base of the month.
        xml.Open("infoCategIncid")
            .Leaf("codCateg", codCateg)
            .Open("infoBaseCS")
            .Leaf("ind13", "0")
            .Leaf("tpValor", "11")
            .Leaf("valor", Valor(centavos))
            .Close()
            .Close();
        bases.push_back(BaseCalculo{tpInsc, nrInsc, codLotacao, codCateg, centavos});
      }
      xml.Close();
    }
    xml.Close();
  }
  xml.Close().Close();
  return xml.Take();
}

std::string MontarS5011(xmlNode* evtFechaEvPer, const OrigemTotalizador& origem,
                        const std::vector<BaseCalculo>& basesDoPeriodo) {
  xmlNode* ideEvento = ChildElement(evtFechaEvPer, "ideEvento");
  XmlText xml;
  xml.Open("eSocial", {{"xmlns", Namespace("evtCS", origem.versao)}})
      .Open("evtCS", {{"Id", origem.id}})
      .Open("ideEvento")
      .Leaf("indApuracao", ChildText(ideEvento, "indApuracao"))
      .Leaf("perApur", ChildText(ideEvento, "perApur"))
      .Close();
  IdeEmpregador(xml, evtFechaEvPer);
  // 1: contributions computed in the period; 3: no pay in the period.
  xml.Open("infoCS")
      .Leaf("nrRecArqBase", origem.nrRecibo)
      .Leaf("indExistInfo", basesDoPeriodo.empty() ? "3" : "1")
      .Open("infoContrib")
      .Leaf("classTrib", "99")
      .Close();

  // Establishment -> lotação -> category, each in the order first met.
  std::vector<std::pair<std::string, std::string>> estabs;
  for (const BaseCalculo& base : basesDoPeriodo) {
    std::pair<std::string, std::string> estab{base.tpInsc, base.nrInsc};
    if (std::find(estabs.begin(), estabs.end(), estab) == estabs.end()) estabs.push_back(estab);
  }
  for (const auto& [tpInsc, nrInsc] : estabs) {
    xml.Open("ideEstab").Leaf("tpInsc", tpInsc).Leaf("nrInsc", nrInsc);
    std::vector<std::string> lotacoes;
    for (const BaseCalculo& base : basesDoPeriodo) {
      if (base.tpInsc == tpInsc && base.nrInsc == nrInsc &&
          std::find(lotacoes.begin(), lotacoes.end(), base.codLotacao) == lotacoes.end()) {
        lotacoes.push_back(base.codLotacao);
      }
    }
    for (const std::string& lotacao : lotacoes) {
      xml.Open("ideLotacao")
          .Leaf("codLotacao", lotacao)
          .Leaf("fpas", "515")
          .Leaf("codTercs", "0115");
      std::vector<std::pair<std::string, long long>> categorias;
      for (const BaseCalculo& base : basesDoPeriodo) {
        if (base.tpInsc != tpInsc || base.nrInsc != nrInsc || base.codLotacao != lotacao) continue;
        auto cat = std::find_if(categorias.begin(), categorias.end(),
                                [&](const auto& c) { return c.first == base.codCateg; });
        if (cat == categorias.end()) {
          categorias.emplace_back(base.codCateg, base.centavos);
        } else {
          cat->second += base.centavos;
        }
      }
      for (const auto& [codCateg, centavos] : categorias) {
        xml.Open("basesRemun").Leaf("indIncid", "1").Leaf("codCateg", codCateg).Open("basesCp");
        xml.Leaf("vrBcCp00", Valor(centavos));
        for (std::string_view campo :
             {"vrBcCp15", "vrBcCp20", "vrBcCp25", "vrSuspBcCp00", "vrSuspBcCp15", "vrSuspBcCp20",
              "vrSuspBcCp25", "vrDescSest", "vrCalcSest", "vrDescSenat", "vrCalcSenat", "vrSalFam",
              "vrSalMat"}) {
          xml.Leaf(campo, "0.00");
        }
        xml.Close().Close();
      }
      xml.Close();
    }
    xml.Close();
  }
  xml.Close().Close().Close();
  return xml.Take();
}

}  // namespace luvaro::sim::esocial
