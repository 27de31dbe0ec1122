#include "tools/sim/esocial_retorno_int.h"

#include "tools/sim/esocial_xml_text.h"

namespace luvaro::sim::esocial {
namespace {

void Inscricoes(XmlText& xml, std::string_view grupo, const std::optional<Inscricao>& ide) {
  if (!ide) return;
  xml.Open(grupo).Leaf("tpInsc", ide->tpInsc).Leaf("nrInsc", ide->nrInsc).Close();
}

// Lot replies: codigo, descricao, tipo, localizacao.
void OcorrenciasDoLote(XmlText& xml, const std::vector<Ocorrencia>& ocorrencias) {
  if (ocorrencias.empty()) return;
  xml.Open("ocorrencias");
  for (const Ocorrencia& o : ocorrencias) {
    xml.Open("ocorrencia")
        .Leaf("codigo", std::to_string(o.codigo))
        .Leaf("descricao", o.descricao)
        .Leaf("tipo", std::to_string(o.tipo))
        .LeafIf("localizacao", o.localizacao)
        .Close();
  }
  xml.Close();
}

void Status(XmlText& xml, const StatusLote& status) {
  xml.Open("status")
      .Leaf("cdResposta", std::to_string(status.codigo.code))
      .Leaf("descResposta", status.codigo.text);
  if (status.tempoEstimadoConclusao) {
    xml.Leaf("tempoEstimadoConclusao", std::to_string(*status.tempoEstimadoConclusao));
  }
  OcorrenciasDoLote(xml, status.ocorrencias);
  xml.Close();
}

void Recepcao(XmlText& xml, const DadosRecepcao& recepcao) {
  xml.Open("dadosRecepcaoLote")
      .Leaf("dhRecepcao", recepcao.dhRecepcao)
      .Leaf("versaoAplicativoRecepcao", recepcao.versaoAplicativo)
      .Leaf("protocoloEnvio", recepcao.protocolo)
      .Close();
}

}  // namespace

std::string RetornoEnvioLote(const StatusLote& status, const std::optional<Inscricao>& empregador,
                             const std::optional<Inscricao>& transmissor,
                             const std::optional<DadosRecepcao>& recepcao) {
  XmlText xml;
  xml.Open("eSocial", {{"xmlns", std::string(kRetornoEnvioNamespace)}})
      .Open("retornoEnvioLoteEventos");
  Inscricoes(xml, "ideEmpregador", empregador);
  Inscricoes(xml, "ideTransmissor", transmissor);
  Status(xml, status);
  if (recepcao) Recepcao(xml, *recepcao);
  return xml.Take();
}

std::string RetornoProcessamentoLote(const StatusLote& status, const LoteRecebido* lote,
                                     std::string_view versaoRecepcao,
                                     std::string_view versaoProcessamento, bool comEventos) {
  XmlText xml;
  xml.Open("eSocial", {{"xmlns", std::string(kRetornoProcessamentoNamespace)}})
      .Open("retornoProcessamentoLoteEventos");
  if (lote) {
    Inscricoes(xml, "ideEmpregador", lote->ideEmpregador);
    Inscricoes(xml, "ideTransmissor", lote->ideTransmissor);
  }
  Status(xml, status);
  if (lote) {
    Recepcao(xml, DadosRecepcao{lote->dhRecepcao, std::string(versaoRecepcao), lote->protocolo});
    if (comEventos) {
      xml.Open("dadosProcessamentoLote")
          .Leaf("versaoAplicativoProcessamentoLote", versaoProcessamento)
          .Close();
      xml.Open("retornoEventos");
      for (const ResultadoEvento& evento : lote->eventos) {
        XmlText::Attrs attrs{{"Id", evento.id}};
        if (evento.duplicado) attrs.emplace_back("evtDupl", "true");
        xml.Open("evento", attrs).Open("retornoEvento").Raw(evento.retornoEvento).Close();
        for (const auto& [tipo, documento] : evento.totalizadores) {
          xml.Open("tot", {{"tipo", tipo}}).Raw(documento).Close();
        }
        xml.Close();
      }
      xml.Close();
    }
  }
  return xml.Take();
}

std::string RetornoEvento(const DadosRetornoEvento& dados) {
  XmlText xml;
  xml.Open("eSocial", {{"xmlns", std::string(kRetornoEventoNamespace)}})
      .Open("retornoEvento", {{"Id", dados.id}})
      .Open("ideEmpregador")
      .Leaf("tpInsc", dados.empregador.tpInsc)
      .Leaf("nrInsc", dados.empregador.nrInsc)
      .Close()
      .Open("recepcao")
      .Leaf("tpAmb", std::to_string(dados.tpAmb))
      .Leaf("dhRecepcao", dados.dhRecepcao)
      .Leaf("versaoAppRecepcao", dados.versaoRecepcao)
      .Leaf("protocoloEnvioLote", dados.protocolo)
      .Close()
      .Open("processamento")
      .Leaf("cdResposta", std::to_string(dados.status.code))
      .Leaf("descResposta", dados.status.text)
      .Leaf("versaoAppProcessamento", dados.versaoProcessamento)
      .Leaf("dhProcessamento", dados.dhProcessamento);
  if (!dados.ocorrencias.empty()) {
    // Event replies order the occurrence fields differently: tipo first.
    xml.Open("ocorrencias");
    for (const Ocorrencia& o : dados.ocorrencias) {
      xml.Open("ocorrencia")
          .Leaf("tipo", std::to_string(o.tipo))
          .Leaf("codigo", std::to_string(o.codigo))
          .Leaf("descricao", o.descricao)
          .LeafIf("localizacao", o.localizacao)
          .Close();
    }
    xml.Close();
  }
  xml.Close();
  if (!dados.nrRecibo.empty()) {
    xml.Open("recibo").Leaf("nrRecibo", dados.nrRecibo).Leaf("hash", dados.hash).Close();
  }
  return xml.Take();
}

}  // namespace luvaro::sim::esocial
