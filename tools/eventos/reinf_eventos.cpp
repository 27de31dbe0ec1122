// luvaro-eventos reinf: the EFD-Reinf event models built from INI files through the container,
// one file at a time, so that a failing event is reported and left out while the others are
// written. R-2070, which no layout here publishes a schema for, is signed and written without
// validation.

#include <exception>
#include <filesystem>

#include "app/core/util.h"
#include "dfe/dfe_exception.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_conversao.h"
#include "reinf/reinf_eventos.h"
#include "reinf/reinf_texto.h"
#include "tools/eventos/carga_eventos.h"
#include "tools/eventos/sistema_eventos.h"

namespace luvaro {

// Made at build time from the generator's commented INI texts (reinf/modelos/ini).
std::span<const ModeloIni> ModelosIniReinf();

namespace {

using reinf::TContribuinte;
using reinf::TReinfColecao;
using reinf::TReinfComponente;
using reinf::TReinfEventos;
using reinf::TTipoEvento;
using reinf::TVersaoReinf;

constexpr TVersaoReinf kVersoes[] = {TVersaoReinf::v1_03_00, TVersaoReinf::v1_03_02,
                                     TVersaoReinf::v1_04_00};

TVersaoReinf VersaoDoTexto(const std::string& texto) {
  for (TVersaoReinf versao : kVersoes)
    if (reinf::TextoDaVersao(versao) == texto) return versao;
  return TVersaoReinf::v1_03_00;  // the command line admits only the texts above
}

void Configurar(TReinfComponente& componente, const PedidoEventos& pedido) {
  reinf::TConfiguracoesReinf& c = componente.Configuracoes();
  ConfigurarComponente(c, pedido);
  c.Geral().SetVersaoDF(VersaoDoTexto(pedido.leiaute));
  c.Geral().SetTipoContribuinte(static_cast<TContribuinte>(pedido.tipo));
  c.Arquivos().SetPathReinf(pedido.saida.string());
}

// Loads one INI file into the container: the collection of its event type gets an item whose
// model reads the text and builds, signs and validates itself (what LoadFromStringINI does,
// without its save: the container is saved once, at the end, holding only the events that
// came out whole). A failing event, or one whose identifier an earlier event of the run has
// already taken, is reported and taken out again.
void CarregarArquivo(TReinfEventos& eventos, const std::string& arquivo, CargaEventos& carga) {
  const std::string origem = std::filesystem::path(arquivo).filename().string();
  std::string texto;
  try {
    texto = reinf::LerArquivoTexto(arquivo);  // UTF-8, or Windows-1252 when it is not
  } catch (const std::exception& erro) {
    carga.SemEvento(origem, erro.what());
    return;
  }
  const std::optional<TTipoEvento> tipo = reinf::TipoEventoDoINI(texto);
  if (!tipo) {
    carga.SemEvento(origem,
                    "nenhum evento EFD-Reinf no arquivo: falta a seção com o nome do evento "
                    "(por exemplo evtInfoContri).");
    return;
  }
  TReinfColecao* colecao = eventos.ColecaoDoTipo(*tipo);
  if (colecao == nullptr) {
    carga.SemEvento(origem, "o evento " + reinf::CodigoDoTipoEvento(*tipo) +
                                " é um retorno do governo e não é gerado a partir de INI.");
    return;
  }
  std::string falha;
  try {
    eventos.LoadFromIni(texto);
  } catch (const std::exception& erro) {
    falha = erro.what();
  }
  if (colecao->Count() == 0) {
    carga.SemEvento(origem, falha);
    return;
  }
  if (!carga.Concluir(origem, colecao->Evento(colecao->Count() - 1), falha,
                      reinf::ElementoDoTipoEvento(*tipo)))
    colecao->ExcluirUltimo();
}

void GerarReinf(const PedidoEventos& pedido, const AmbienteEventos& ambiente,
                RelatoEventos& relato) {
  TReinfComponente componente(TUtil::GetAppPath());
  Configurar(componente, pedido);
  PrepararCertificado(componente, ambiente);
  CriarPastaSaida(pedido.saida);

  reinf::TEventos& eventos = componente.Eventos();
  CargaEventos carga(relato);
  for (const std::string& arquivo : pedido.arquivos)
    CarregarArquivo(eventos.ReinfEventos(), arquivo, carga);
  eventos.SaveToFiles();
  const reinf::TGeradosCollection& gerados = eventos.Gerados();
  for (std::size_t i = 0; i < gerados.Count(); ++i)
    relato.Documento(gerados.Items(i).PathNome + ".xml");
}

std::span<const ModeloIni> ModelosReinf() {
  return ModelosIniReinf();
}

}  // namespace

SistemaEventos SistemaReinfEventos() {
  return {"reinf",
          {"1_03_00", "1_03_02", "1_04_00"},
          {"--tipo-contribuinte", 2,  // tcPessoaFisica
           "EFD-Reinf: tipo do contribuinte, de 0 a 2: 0 pessoa jurídica\n"
           "                          (padrão), 1 órgão público, 2 pessoa física"},
          &GerarReinf,
          &ModelosReinf};
}

}  // namespace luvaro
