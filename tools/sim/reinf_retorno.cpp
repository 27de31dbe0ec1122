#include "tools/sim/reinf_retorno_int.h"

#include <cctype>
#include <cstdlib>

#include "tools/sim/esocial_xml_text.h"

namespace luvaro::sim::reinf {
namespace {

// The code of revenue of the social-security retention on services taken.
constexpr std::string_view kCRTom = "116201";

void IdeStatus(XmlText& xml, const ReplyCode& status, const std::vector<Ocorrencia>& ocorrencias) {
  xml.Open("ideStatus")
      .Leaf("cdRetorno", std::to_string(status.code))
      .Leaf("descRetorno", status.text);
  for (const Ocorrencia& o : ocorrencias) {
    xml.Open("regOcorrs")
        .Leaf("tpOcorr", std::to_string(o.tipo))
        .Leaf("localErroAviso", o.localizacao.empty() ? std::string("/Reinf") : o.localizacao)
        .Leaf("codResp", std::to_string(o.codigo))
        .Leaf("dscResp", o.descricao)
        .Close();
  }
  xml.Close();
}

void Cabecalho(XmlText& xml, const DadosTotalizador& dados, bool protocoloObrigatorio) {
  xml.Open("ideEvento").LeafIf("perApur", dados.perApur).Close();
  xml.Open("ideContri")
      .Leaf("tpInsc", dados.contribuinte.tpInsc)
      .Leaf("nrInsc", dados.contribuinte.nrInsc)
      .Close();
  xml.Open("ideRecRetorno");
  IdeStatus(xml, dados.status, dados.ocorrencias);
  xml.Close();
  xml.Open("infoRecEv");
  if (protocoloObrigatorio) {
    xml.Leaf("nrProtEntr", dados.nrProtEntr);
  } else {
    xml.LeafIf("nrProtEntr", dados.nrProtEntr);
  }
  xml.Leaf("dhProcess", dados.dhProcess)
      .Leaf("tpEv", dados.tpEv)
      .Leaf("idEv", dados.idEv)
      .Leaf("hash", dados.hash)
      .Close();
}

// A value that the layout leaves out when it is zero.
void ValorSe(XmlText& xml, std::string_view name, long long centavos) {
  if (centavos != 0) xml.Leaf(name, Valor(centavos));
}

// RTom: in R-5001 the code of revenue only when something was retained; R-5011 always has it.
void RTom(XmlText& xml, const TotalTomado& t, bool crObrigatorio) {
  xml.Open("RTom").Leaf("cnpjPrestador", t.cnpjPrestador).LeafIf("CNO", t.cno);
  xml.Leaf("vlrTotalBaseRet", Valor(t.valores.baseRet));
  const long long retido = t.valores.retPrinc + t.valores.retAdic;
  const long long suspenso = t.valores.nRetPrinc + t.valores.nRetAdic;
  if (crObrigatorio || retido != 0 || suspenso != 0) {
    xml.Open("infoCRTom").Leaf("CRTom", kCRTom).Leaf("VlrCRTom", Valor(retido));
    ValorSe(xml, "VlrCRTomSusp", suspenso);
    xml.Close();
  }
  xml.Close();
}

void RPrest(XmlText& xml, const TotalPrestado& p) {
  xml.Open("RPrest")
      .Leaf("tpInscTomador", p.tpInscTomador)
      .Leaf("nrInscTomador", p.nrInscTomador)
      .Leaf("vlrTotalBaseRet", Valor(p.valores.baseRet))
      .Leaf("vlrTotalRetPrinc", Valor(p.valores.retPrinc));
  ValorSe(xml, "vlrTotalRetAdic", p.valores.retAdic);
  ValorSe(xml, "vlrTotalNRetPrinc", p.valores.nRetPrinc);
  ValorSe(xml, "vlrTotalNRetAdic", p.valores.nRetAdic);
  xml.Close();
}

}  // namespace

std::string Valor(long long centavos) {
  const bool negativo = centavos < 0;
  const long long abs = negativo ? -centavos : centavos;
  std::string cents = std::to_string(abs % 100);
  if (cents.size() < 2) cents.insert(0, "0");
  return (negativo ? "-" : "") + std::to_string(abs / 100) + "," + cents;
}

long long Centavos(std::string_view valor) {
  long long inteiro = 0;
  long long fracao = 0;
  int casas = 0;
  bool separador = false;
  bool digitos = false;
  for (char c : valor) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digitos = true;
      if (!separador) {
        inteiro = inteiro * 10 + (c - '0');
      } else if (casas < 2) {
        fracao = fracao * 10 + (c - '0');
        ++casas;
      }
    } else if ((c == ',' || c == '.') && !separador) {
      separador = true;
    } else {
      return 0;
    }
  }
  if (!digitos) return 0;
  if (casas == 1) fracao *= 10;
  return inteiro * 100 + fracao;
}

std::string RetornoLoteEventos(std::string_view id, std::string_view idTransmissor,
                               const ReplyCode& status, const std::vector<Ocorrencia>& ocorrencias,
                               const std::vector<RetornoDoEvento>& eventos) {
  XmlText xml;
  xml.Open("Reinf", {{"xmlns", std::string(kRetornoLoteNamespace)}})
      .Open("retornoLoteEventos", {{"id", std::string(id)}});
  xml.Open("ideTransmissor").Leaf("IdTransmissor", idTransmissor).Close();
  xml.Open("status").Leaf("cdStatus", std::to_string(status.code)).Leaf("descRetorno", status.text);
  if (!ocorrencias.empty()) {
    xml.Open("dadosRegistroOcorrenciaLote");
    for (const Ocorrencia& o : ocorrencias) {
      xml.Open("ocorrencias")
          .Leaf("tipo", std::to_string(o.tipo))
          .LeafIf("localizacaoErroAviso", LimitarTexto(o.localizacao, kMaxLocalizacaoLote))
          .Leaf("codigo", std::to_string(o.codigo))
          .Leaf("descricao", LimitarTexto(o.descricao, kMaxDescricaoLote))
          .Close();
    }
    xml.Close();
  }
  xml.Close();  // status
  if (!eventos.empty()) {
    xml.Open("retornoEventos");
    for (const RetornoDoEvento& evento : eventos) {
      xml.Open("evento", {{"id", evento.loteId}}).Raw(evento.r5001).Close();
    }
    xml.Close();
  }
  return xml.Take();
}

std::string MontarR5001(const DadosTotalizador& dados, const std::optional<InfoTotal>& info) {
  XmlText xml;
  xml.Open("Reinf", {{"xmlns", std::string(kEvtTotalNamespace)}})
      .Open("evtTotal", {{"id", dados.id}});
  Cabecalho(xml, dados, false);
  if (info) {
    xml.Open("infoTotal").LeafIf("nrRecArqBase", info->nrRecArqBase);
    xml.Open("ideEstab")
        .Leaf("tpInsc", info->estabelecimento.tpInsc)
        .Leaf("nrInsc", info->estabelecimento.nrInsc);
    if (info->tomado) RTom(xml, *info->tomado, false);
    if (info->prestado) RPrest(xml, *info->prestado);
    xml.Close().Close();
  }
  return xml.Take();
}

std::string MontarR5011(const DadosTotalizador& dados,
                        const std::optional<InfoTotalContrib>& info) {
  XmlText xml;
  xml.Open("Reinf", {{"xmlns", std::string(kEvtTotalContribNamespace)}})
      .Open("evtTotalContrib", {{"id", dados.id}});
  Cabecalho(xml, dados, true);
  if (info) {
    xml.Open("infoTotalContrib")
        .LeafIf("nrRecArqBase", info->nrRecArqBase)
        .Leaf("indExistInfo", std::to_string(info->indExistInfo));
    for (const TotalTomado& t : info->tomados) RTom(xml, t, true);
    for (const TotalPrestado& p : info->prestados) RPrest(xml, p);
    xml.Close();
  }
  return xml.Take();
}

std::string RetornoConsulta(const ReplyCode& status, const std::vector<Ocorrencia>& ocorrencias,
                            const std::vector<ReciboEncontrado>& recibos) {
  XmlText xml;
  xml.Open("Reinf", {{"xmlns", std::string(kRetornoConsultaNamespace)}});
  IdeStatus(xml, status, ocorrencias);
  if (!recibos.empty()) {
    xml.Open("retornoEventos");
    for (const ReciboEncontrado& r : recibos) {
      xml.Open("evento", {{"id", r.id}})
          .LeafIf("iniValid", r.iniValid)
          .Leaf("dtHoraRecebimento", r.dtHoraRecebimento)
          .Leaf("nrRecibo", r.nrRecibo)
          .Leaf("situacaoEvento", r.situacaoEvento)
          .Leaf("aplicacaoRecepcao", r.aplicacaoRecepcao)
          .Close();
    }
    xml.Close();
  }
  return xml.Take();
}

}  // namespace luvaro::sim::reinf
