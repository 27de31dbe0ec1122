#include "esocial/retorno_consulta_lote.h"

#include <exception>

namespace luvaro {

bool TRetConsultaLote::LerXml() noexcept {
  using namespace retorno;
  FIdeEmpregador = {};
  FIdeTransmissor = {};
  FStatus = {};
  FDadosRecLote = {};
  FDadosProcLote = {};
  FRetEventos.clear();
  try {
    if (!LerGrupo(FLeitor, 1, "retornoProcessamentoLoteEventos")) return false;
    if (LerGrupo(FLeitor, 2, "ideEmpregador")) LerInscricao(FLeitor, FIdeEmpregador);
    if (LerGrupo(FLeitor, 2, "ideTransmissor")) LerInscricao(FLeitor, FIdeTransmissor);
    FStatus = LerStatus(FLeitor, 2, true, true);
    FDadosRecLote = LerDadosRecepcaoLote(FLeitor, 2);
    if (LerGrupo(FLeitor, 2, "dadosProcessamentoLote")) {
      FDadosProcLote.versaoAplicProcLote = LerTexto(FLeitor, "versaoAplicativoProcessamentoLote");
    }
    if (!LerGrupo(FLeitor, 2, "retornoEventos")) return true;
    bool ok = true;
    for (int item = 1; ok && !FLeitor.rExtrai(3, "evento", "", item).empty(); ++item) {
      ok = LerEvento(FRetEventos.emplace_back());
    }
    return ok;
  } catch (const std::exception&) {
    // The reply still reaches the caller whole as RetWS; the objects keep what was read.
    return false;
  }
}

bool TRetConsultaLote::LerEvento(TRetEventoItem& evento) {
  using namespace retorno;
  TLeitor& l = FLeitor;
  evento.Id = l.rAtributo("Id");
  const std::string duplicado = l.rAtributo("evtDupl");
  if (!duplicado.empty() && !TextoParaBoolean(duplicado, evento.evtDupl)) return false;

  if (LerGrupo(l, 4, "eSocial") && LerGrupo(l, 5, "retornoEvento")) {
    if (LerGrupo(l, 6, "ideEmpregador")) LerInscricao(l, evento.IdeEmpregador);
    if (LerGrupo(l, 6, "recepcao")) {
      evento.Recepcao.tpAmb = LerCodigo<TpTpAmb>(l, "tpAmb");
      evento.Recepcao.dhRecepcao = LerDataHora(l, "dhRecepcao");
      evento.Recepcao.versaoAplicRecepcao = LerTexto(l, "versaoAppRecepcao");
      evento.Recepcao.Protocolo = LerTexto(l, "protocoloEnvioLote");
    }
    if (LerGrupo(l, 6, "processamento")) {
      TProcessamento& proc = evento.Processamento;
      proc.cdResposta = LerInteiro(l, "cdResposta");
      proc.descResposta = LerTexto(l, "descResposta");
      proc.versaoAplicProcLote = LerTexto(l, "versaoAppProcessamento");
      proc.dhProcessamento = LerDataHora(l, "dhProcessamento");
      proc.Ocorrencias = LerOcorrencias(l, 7);
    }
    if (LerGrupo(l, 6, "recibo")) {
      evento.Recibo.nrRecibo = LerTexto(l, "nrRecibo");
      evento.Recibo.Hash = LerTexto(l, "hash");
      LerContrato(l, 7, evento.Recibo.Contrato);
    }
  }

  LerItens(l, 4, "tot", [&] {
    TTotItem& tot = evento.tot.emplace_back();
    tot.tipo = l.rAtributo("tipo");
    tot.XML = ConteudoDoElemento(l.Grupo(), "tot");
    tot.Evento = CriarEventoTotalizador(tot.tipo);
    if (tot.Evento) tot.Evento->SetXml(tot.XML);
  });
  return true;
}

}  // namespace luvaro
