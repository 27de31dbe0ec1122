#include "esocial/retorno_contrato.h"

namespace luvaro::retorno {
namespace {

// A field read under the layout's name, or under the other name it has been written with.
std::string LerTextoOu(TLeitor& leitor, const std::string& tag, const std::string& outraTag) {
  std::string texto = LerTexto(leitor, tag);
  return texto.empty() ? LerTexto(leitor, outraTag) : texto;
}

void LerHorContratual(TLeitor& leitor, int nivel, THorContratualContrato& hor) {
  if (!LerGrupo(leitor, nivel, "horContratual")) return;
  hor.qtdHrsSem = LerDecimal(leitor, "qtdHrsSem");
  hor.tpJornada = LerCodigo<tpTpJornada>(leitor, "tpJornada");
  hor.dscTpJorn = LerTexto(leitor, "dscTpJorn");
  hor.tmpParc = LerCodigo<tpTmpParc>(leitor, "tmpParc");
  LerItens(leitor, nivel + 1, "horario", [&] {
    THorarioContrato& horario = hor.horario.emplace_back();
    horario.dia = LerCodigo<tpTpDia>(leitor, "dia");
    horario.codHorContrat = LerTexto(leitor, "codHorContrat");
    horario.hrEntr = LerTexto(leitor, "hrEntr");
    horario.hrSaida = LerTexto(leitor, "hrSaida");
    horario.durJornada = LerInteiro(leitor, "durJornada");
    horario.perHorFlexivel = LerCodigo<tpSimNao>(leitor, "perHorFlexivel");
    LerItens(leitor, nivel + 2, "horarioIntervalo", [&] {
      THorarioIntervaloContrato& intervalo = horario.horarioIntervalo.emplace_back();
      intervalo.tpInterv = LerCodigo<tpTpIntervalo>(leitor, "tpInterv");
      intervalo.durInterv = LerInteiro(leitor, "durInterv");
      intervalo.iniInterv = LerTexto(leitor, "iniInterv");
      intervalo.termInterv = LerTexto(leitor, "termInterv");
    });
  });
}

void LerInfoContrato(TLeitor& leitor, int nivel, TInfoContratoContrato& info) {
  if (!LerGrupo(leitor, nivel, "infoContrato")) return;
  info.codCateg = LerInteiro(leitor, "codCateg");
  if (LerGrupo(leitor, nivel + 1, "cargo")) {
    info.cargo.codCargo = LerTexto(leitor, "codCargo");
    info.cargo.nmCargo = LerTexto(leitor, "nmCargo");
    info.cargo.codCBO = LerTexto(leitor, "codCBO");
  }
  if (LerGrupo(leitor, nivel + 1, "funcao")) {
    info.funcao.codFuncao = LerTexto(leitor, "codFuncao");
    info.funcao.nmFuncao = LerTextoOu(leitor, "dscFuncao", "nmFuncao");
    info.funcao.codCBO = LerTexto(leitor, "codCBO");
  }
}

}  // namespace

void LerContrato(TLeitor& leitor, int nivel, TContrato& contrato) {
  if (!LerGrupo(leitor, nivel, "contrato")) return;
  const int grupo = nivel + 1;
  if (LerGrupo(leitor, grupo, "ideEmpregador")) LerInscricao(leitor, contrato.ideEmpregador);
  if (LerGrupo(leitor, grupo, "trabalhador")) {
    contrato.trabalhador.cpfTrab = LerTexto(leitor, "cpfTrab");
    contrato.trabalhador.nisTrab = LerTexto(leitor, "nisTrab");
    contrato.trabalhador.nmTrab = LerTexto(leitor, "nmTrab");
  }
  if (LerGrupo(leitor, grupo, "infoDeficiencia")) {
    contrato.infoDeficiencia.infoCota = LerCodigo<tpSimNao>(leitor, "infoCota");
  }
  if (LerGrupo(leitor, grupo, "vinculo")) {
    contrato.vinculo.matricula = LerTexto(leitor, "matricula");
  }
  if (LerGrupo(leitor, grupo, "infoCeletista")) {
    contrato.infoCeletista.dtAdm = LerData(leitor, "dtAdm");
    contrato.infoCeletista.tpRegJor = LerCodigo<tpTpRegJor>(leitor, "tpRegJor");
    contrato.infoCeletista.dtBase = LerInteiro(leitor, "dtBase");
    contrato.infoCeletista.cnpjSindCategProf = LerTexto(leitor, "cnpjSindCategProf");
  }
  if (LerGrupo(leitor, grupo, "infoEstatutario")) {
    contrato.infoEstatutario.dtPosse = LerData(leitor, "dtPosse");
    contrato.infoEstatutario.dtExercicio = LerData(leitor, "dtExercicio");
  }
  LerInfoContrato(leitor, grupo, contrato.infoContrato);
  if (LerGrupo(leitor, grupo, "remuneracao")) {
    contrato.remuneracao.vrSalFx = LerDecimal(leitor, "vrSalFx");
    contrato.remuneracao.undSalFixo = LerCodigo<tpUndSalFixo>(leitor, "undSalFixo");
    contrato.remuneracao.dscSalVar = LerTexto(leitor, "dscSalVar");
  }
  if (LerGrupo(leitor, grupo, "duracao")) {
    contrato.duracao.tpContr = LerCodigo<tpTpContr>(leitor, "tpContr");
    contrato.duracao.dtTerm = LerData(leitor, "dtTerm");
    contrato.duracao.clauAssec =
        ValorDoCodigo<tpSimNao>(LerTextoOu(leitor, "clauAsseg", "clauAssec"));
  }
  if (LerGrupo(leitor, grupo, "localTrabGeral")) {
    contrato.localTrabGeral.tpInsc = LerCodigo<tpTpInsc>(leitor, "tpInsc");
    contrato.localTrabGeral.nrInsc = LerTexto(leitor, "nrInsc");
    contrato.localTrabGeral.cnae = LerTexto(leitor, "cnae");
  }
  LerHorContratual(leitor, grupo, contrato.horContratual);
}

}  // namespace luvaro::retorno
