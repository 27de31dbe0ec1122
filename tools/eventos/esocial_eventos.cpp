// luvaro-eventos esocial: the eSocial event models built from INI files through the container,
// one file at a time, so that a failing event is reported and left out while the others are
// written.

#include <exception>
#include <filesystem>

#include "app/core/util.h"
#include "dfe/xml/leitor.h"
#include "esocial/esocial_componente.h"
#include "esocial/esocial_conversao.h"
#include "esocial/esocial_evento.h"
#include "esocial/eventos.h"
#include "tools/eventos/carga_eventos.h"
#include "tools/eventos/sistema_eventos.h"

namespace luvaro {

// Made at build time from the generator's commented INI texts (esocial/modelos/ini).
std::span<const ModeloIni> ModelosIniEsocial();

namespace {

constexpr TVersaoeSocial kVersoes[] = {TVersaoeSocial::ve02_04_01, TVersaoeSocial::ve02_04_02,
                                       TVersaoeSocial::ve02_05_00};

TVersaoeSocial VersaoDoTexto(const std::string& texto) {
  for (TVersaoeSocial versao : kVersoes)
    if (TextoDaVersao(versao) == texto) return versao;
  return TVersaoeSocial::ve02_04_01;  // the command line admits only the texts above
}

void Configurar(TeSocialComponente& componente, const PedidoEventos& pedido) {
  TConfiguracoeseSocial& c = componente.Configuracoes();
  ConfigurarComponente(c, pedido);
  c.Geral().SetVersaoDF(VersaoDoTexto(pedido.leiaute));
  c.Geral().SetTipoEmpregador(static_cast<TEmpregador>(pedido.tipo));
  c.Arquivos().SetPatheSocial(pedido.saida.string());
}

TeSocialColecaoEventos& ColecaoDoTipo(TEventos& eventos, TTipoEvento tipo) {
  for (TeSocialGrupo* grupo : eventos.Grupos()) {
    for (TeSocialColecaoEventos* colecao : grupo->Colecoes())
      if (colecao->TipoEvento() == tipo) return *colecao;
  }
  throw EDFeException("Tipo de evento sem coleção: " + CodigoDoTipoEvento(tipo));
}

// Loads one INI file into the container: the group of its event type reads it, and the event
// builds, signs and validates itself (what LoadFromStringINI does, without its save: the
// container is saved once, at the end, holding only the events that came out whole). A failing
// event, or one whose identifier an earlier event of the run has already taken, is reported
// and taken out again.
void CarregarArquivo(TEventos& eventos, const std::string& arquivo, CargaEventos& carga) {
  const std::string origem = std::filesystem::path(arquivo).filename().string();
  TLeitor leitor;
  try {
    leitor.CarregarArquivo(arquivo);
  } catch (const std::exception& erro) {
    carga.SemEvento(origem, erro.what());
    return;
  }
  const std::optional<TTipoEvento> tipo = TipoEventoDoINI(leitor.Arquivo());
  if (!tipo) {
    carga.SemEvento(origem,
                    "nenhum evento eSocial no arquivo: falta a seção com o nome do evento (por "
                    "exemplo evtInfoEmpregador).");
    return;
  }
  TeSocialColecaoEventos& colecao = ColecaoDoTipo(eventos, *tipo);
  std::string falha;
  try {
    for (TeSocialGrupo* grupo : eventos.Grupos()) grupo->LoadFromIni(leitor.Arquivo());
  } catch (const std::exception& erro) {
    falha = erro.what();
  }
  if (colecao.Count() == 0) {
    carga.SemEvento(origem, falha);
    return;
  }
  if (!carga.Concluir(origem, colecao.Evento(colecao.Count() - 1), falha,
                      ElementoDoTipoEvento(*tipo)))
    colecao.ExcluirUltimo();
}

void GerarEsocial(const PedidoEventos& pedido, const AmbienteEventos& ambiente,
                  RelatoEventos& relato) {
  TeSocialComponente componente(TUtil::GetAppPath());
  Configurar(componente, pedido);
  PrepararCertificado(componente, ambiente);
  CriarPastaSaida(pedido.saida);

  TEventos& eventos = componente.Eventos();
  CargaEventos carga(relato);
  for (const std::string& arquivo : pedido.arquivos) CarregarArquivo(eventos, arquivo, carga);
  eventos.SaveToFiles();
  for (const TGeradosCollectionItem& gerado : eventos.Gerados())
    relato.Documento(gerado.PathNome + ".xml");
}

std::span<const ModeloIni> ModelosEsocial() {
  return ModelosIniEsocial();
}

}  // namespace

SistemaEventos SistemaeSocialEventos() {
  return {"esocial",
          {"02_04_01", "02_04_02", "02_05_00"},
          {"--tipo-empregador", 6,  // teOrgaoPublicoAutonomoFederal
           "eSocial: tipo do empregador, de 0 a 6 (padrão: 0, pessoa jurídica)"},
          &GerarEsocial,
          &ModelosEsocial};
}

}  // namespace luvaro
