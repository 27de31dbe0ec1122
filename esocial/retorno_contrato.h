#pragma once

#include <string>
#include <vector>

#include "dfe/xml/data_hora.h"
#include "dfe/xml/leitor.h"
#include "esocial/codigos_layout.h"
#include "esocial/retorno_comum.h"

namespace luvaro {

// The contract that the receipt of an admission event carries: what the government recorded
// of the worker and the bond. Enumerated fields hold the values of their layout codes.

struct TTrabalhadorContrato {
  std::string cpfTrab;
  std::string nisTrab;
  std::string nmTrab;
};

struct TInfoDeficienciaContrato {
  tpSimNao infoCota = tpSimNao::tpSim;
};

struct TVinculoContrato {
  std::string matricula;
};

struct TInfoCeletistaContrato {
  DateTime dtAdm = 0;
  tpTpRegJor tpRegJor = tpTpRegJor::rjSubmetidosHorarioTrabalho;
  int dtBase = 0;
  std::string cnpjSindCategProf;
};

struct TInfoEstatutarioContrato {
  DateTime dtPosse = 0;
  DateTime dtExercicio = 0;
};

struct TCargoContrato {
  std::string codCargo;
  std::string nmCargo;
  std::string codCBO;
};

struct TFuncaoContrato {
  std::string codFuncao;
  // The layout's dscFuncao.
  std::string nmFuncao;
  std::string codCBO;
};

struct TInfoContratoContrato {
  int codCateg = 0;
  TCargoContrato cargo;
  TFuncaoContrato funcao;
};

struct TRemuneracaoContrato {
  double vrSalFx = 0;
  tpUndSalFixo undSalFixo = tpUndSalFixo::sfPorHora;
  std::string dscSalVar;
};

struct TDuracaoContrato {
  tpTpContr tpContr = tpTpContr::tcPrazoIndeterminado;
  DateTime dtTerm = 0;
  // The layout's clauAsseg.
  tpSimNao clauAssec = tpSimNao::tpSim;
};

struct TLocalTrabGeralContrato {
  tpTpInsc tpInsc = tpTpInsc::tiCNPJ;
  std::string nrInsc;
  std::string cnae;
};

struct THorarioIntervaloContrato {
  tpTpIntervalo tpInterv = tpTpIntervalo::tinHorarioFixo;
  int durInterv = 0;
  std::string iniInterv;
  std::string termInterv;
};

struct THorarioContrato {
  tpTpDia dia = tpTpDia::diSegunda;
  std::string codHorContrat;
  std::string hrEntr;
  std::string hrSaida;
  int durJornada = 0;
  tpSimNao perHorFlexivel = tpSimNao::tpSim;
  std::vector<THorarioIntervaloContrato> horarioIntervalo;
};

struct THorContratualContrato {
  // Weekly hours; the layout writes them with decimals (44.00), so they are read as a number.
  double qtdHrsSem = 0;
  tpTpJornada tpJornada = tpTpJornada::tjHorarioDiarioFolgaFixos;
  std::string dscTpJorn;
  tpTmpParc tmpParc = tpTmpParc::tpNaoTempoParcial;
  std::vector<THorarioContrato> horario;
};

struct TContrato {
  TInscricao ideEmpregador;
  TTrabalhadorContrato trabalhador;
  TInfoDeficienciaContrato infoDeficiencia;
  TVinculoContrato vinculo;
  TInfoCeletistaContrato infoCeletista;
  TInfoEstatutarioContrato infoEstatutario;
  TInfoContratoContrato infoContrato;
  TRemuneracaoContrato remuneracao;
  TDuracaoContrato duracao;
  TLocalTrabGeralContrato localTrabGeral;
  THorContratualContrato horContratual;
};

namespace retorno {

// "contrato" of level nivel - 1 (a receipt) into level nivel, its groups one level deeper and
// the schedule lists below them; uses levels nivel to nivel + 3. A missing contract leaves
// `contrato` as it is.
void LerContrato(TLeitor& leitor, int nivel, TContrato& contrato);

}  // namespace retorno
}  // namespace luvaro
