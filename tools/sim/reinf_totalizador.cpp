#include "tools/sim/reinf_totalizador_int.h"

#include <algorithm>
#include <cctype>
#include <regex>

namespace luvaro::sim::reinf {
namespace {

bool PeriodoValido(const std::string& text) {
  static const std::regex kPeriodo(R"(20\d\d-(0[1-9]|1[0-2])(-(3[01]|[0-2]\d))?)");
  return std::regex_match(text, kPeriodo);
}

Valores LerValores(xmlNode* grupo) {
  Valores v;
  v.baseRet = Centavos(ChildText(grupo, "vlrTotalBaseRet"));
  v.retPrinc = Centavos(ChildText(grupo, "vlrTotalRetPrinc"));
  v.retAdic = Centavos(ChildText(grupo, "vlrTotalRetAdic"));
  v.nRetPrinc = Centavos(ChildText(grupo, "vlrTotalNRetPrinc"));
  v.nRetAdic = Centavos(ChildText(grupo, "vlrTotalNRetAdic"));
  return v;
}

int DigitoCnpj(std::string_view digits) {
  // Weights 2..9 from the right, repeating.
  int sum = 0;
  int weight = 2;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    sum += (*it - '0') * weight;
    weight = weight == 9 ? 2 : weight + 1;
  }
  const int rest = sum % 11;
  return rest < 2 ? 0 : 11 - rest;
}

}  // namespace

void LerEvento(xmlNode* evento, const TipoEvento& tipo, EventoAceito& aceito) {
  aceito.tpEv = std::string(tipo.tpEv);
  aceito.perApur = DescendantText(evento, "perApur");
  aceito.dtApur = DescendantText(evento, "dtApuracao");
  aceito.iniValid = DescendantText(evento, "iniValid");
  aceito.tpInscEstab = DescendantText(evento, "tpInscEstab");
  aceito.nrInscEstab = DescendantText(evento, "nrInscEstab");
  if (tipo.tpEv == "2010") {
    xmlNode* estab = ChildElement(ChildElement(evento, "infoServTom"), "ideEstabObra");
    xmlNode* prestador = ChildElement(estab, "idePrestServ");
    aceito.cnpjPrestador = ChildText(prestador, "cnpjPrestador");
    TotalTomado tomado;
    tomado.cnpjPrestador = aceito.cnpjPrestador;
    if (aceito.tpInscEstab == "4") tomado.cno = aceito.nrInscEstab;
    tomado.valores = LerValores(prestador);
    aceito.tomado = std::move(tomado);
  } else if (tipo.tpEv == "2020") {
    xmlNode* estab = ChildElement(ChildElement(evento, "infoServPrest"), "ideEstabPrest");
    aceito.tpInscEstab = ChildText(estab, "tpInscEstabPrest");
    aceito.nrInscEstab = ChildText(estab, "nrInscEstabPrest");
    xmlNode* tomador = ChildElement(estab, "ideTomador");
    aceito.tpInscTomador = ChildText(tomador, "tpInscTomador");
    aceito.nrInscTomador = ChildText(tomador, "nrInscTomador");
    aceito.prestado =
        TotalPrestado{aceito.tpInscTomador, aceito.nrInscTomador, LerValores(tomador)};
  }
}

std::string PeriodoDoTotalizador(const EventoAceito& evento, std::string_view reserva) {
  for (const std::string* candidato : {&evento.perApur, &evento.dtApur, &evento.iniValid}) {
    if (PeriodoValido(*candidato)) return *candidato;
  }
  return std::string(reserva);
}

std::optional<Inscricao> EstabelecimentoDoTotal(const EventoAceito& evento) {
  if ((evento.tpInscEstab == "1" || evento.tpInscEstab == "4") && SoDigitos(evento.nrInscEstab) &&
      evento.nrInscEstab.size() <= 14) {
    return Inscricao{evento.tpInscEstab,
                     std::string(14 - evento.nrInscEstab.size(), '0') + evento.nrInscEstab};
  }
  if (evento.contribuinte.tpInsc == "1" && evento.contribuinte.nrInsc.size() >= 8 &&
      SoDigitos(evento.contribuinte.nrInsc)) {
    return Inscricao{"1", CnpjMatriz(evento.contribuinte.nrInsc.substr(0, 8))};
  }
  return std::nullopt;
}

std::string CnpjMatriz(std::string_view raiz) {
  std::string cnpj = std::string(raiz) + "0001";
  cnpj += static_cast<char>('0' + DigitoCnpj(cnpj));
  cnpj += static_cast<char>('0' + DigitoCnpj(cnpj));
  return cnpj;
}

InfoTotalContrib Consolidar(const std::vector<EventoAceito>& doPeriodo) {
  InfoTotalContrib info;
  for (const EventoAceito& evento : doPeriodo) {
    if (evento.tomado) {
      const TotalTomado& t = *evento.tomado;
      auto it = std::find_if(info.tomados.begin(), info.tomados.end(), [&](const TotalTomado& x) {
        return x.cnpjPrestador == t.cnpjPrestador && x.cno == t.cno;
      });
      if (it == info.tomados.end()) {
        info.tomados.push_back(t);
      } else {
        it->valores += t.valores;
      }
    }
    if (evento.prestado) {
      const TotalPrestado& p = *evento.prestado;
      auto it =
          std::find_if(info.prestados.begin(), info.prestados.end(), [&](const TotalPrestado& x) {
            return x.tpInscTomador == p.tpInscTomador && x.nrInscTomador == p.nrInscTomador;
          });
      if (it == info.prestados.end()) {
        info.prestados.push_back(p);
      } else {
        it->valores += p.valores;
      }
    }
  }
  if (!info.tomados.empty() || !info.prestados.empty()) {
    info.indExistInfo = 1;
  } else {
    info.indExistInfo = doPeriodo.empty() ? 3 : 2;
  }
  return info;
}

}  // namespace luvaro::sim::reinf
