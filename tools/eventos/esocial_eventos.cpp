// luvaro-eventos esocial: the eSocial event models built from INI files through the container,
// one file at a time, so that a failing event is reported and left out while the others are
// written.

#include <exception>
#include <filesystem>
#include <map>

#include "app/core/util.h"
#include "dfe/xml/leitor.h"
#include "esocial/esocial_componente.h"
#include "esocial/esocial_conversao.h"
#include "esocial/esocial_evento.h"
#include "esocial/eventos.h"
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
  // The back-ends of the program's own configuration: the certificate store of the platform
  // (the PKCS#11 tokens here) and libxml2 signing.
  c.Geral().SetSSLLib(TSSLLib::libWinCrypt);
  c.Geral().SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
  c.Geral().SetSSLHttpLib(TSSLHttpLib::httpWinHttp);
  c.Geral().SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
  c.Geral().SetExibirErroSchema(true);  // every schema failure, not only the first line
  c.Geral().SetSalvar(false);
  c.Geral().SetVersaoDF(VersaoDoTexto(pedido.leiaute));
  c.Geral().SetTipoEmpregador(static_cast<TEmpregador>(pedido.tipoEmpregador));
  c.Arquivos().SetPathSchemas(pedido.schemas.string());
  // Each document straight into the output folder, under the name SaveToFiles gives it.
  c.Arquivos().SetSalvar(false);
  c.Arquivos().SetSepararPorCNPJ(false);
  c.Arquivos().SetSepararPorModelo(false);
  c.Arquivos().SetSepararPorAno(false);
  c.Arquivos().SetSepararPorMes(false);
  c.Arquivos().SetSepararPorDia(false);
  c.Arquivos().SetAdicionarLiteral(false);
  c.Arquivos().SetPathSalvar(pedido.saida.string());
  c.Arquivos().SetPatheSocial(pedido.saida.string());
}

TeSocialColecaoEventos& ColecaoDoTipo(TEventos& eventos, TTipoEvento tipo) {
  for (TeSocialGrupo* grupo : eventos.Grupos()) {
    for (TeSocialColecaoEventos* colecao : grupo->Colecoes())
      if (colecao->TipoEvento() == tipo) return *colecao;
  }
  throw EDFeException("Tipo de evento sem coleção: " + CodigoDoTipoEvento(tipo));
}

// The cause of a building failure without the "ID: <Id>" line that GerarXML puts before it
// (the report names the event already).
std::string CausaDaFalha(const std::string& mensagem, const std::string& id) {
  const std::string prefixo = "ID: " + id + "\r\n";
  return mensagem.starts_with(prefixo) ? mensagem.substr(prefixo.size()) : mensagem;
}

// Loads one INI file into the container: the group of its event type reads it, and the event
// builds, signs and validates itself (what LoadFromStringINI does, without its save: the
// container is saved once, at the end, holding only the events that came out whole). A failing
// event, or one whose identifier an earlier event of the run has already taken, is reported
// and taken out again.
void CarregarArquivo(TEventos& eventos, const std::string& arquivo, RelatoEventos& relato,
                     std::map<std::string, std::string>& identificadores) {
  const std::string origem = std::filesystem::path(arquivo).filename().string();
  TLeitor leitor;
  try {
    leitor.CarregarArquivo(arquivo);
  } catch (const std::exception& erro) {
    relato.Falha(origem, erro.what());
    return;
  }
  const std::optional<TTipoEvento> tipo = TipoEventoDoINI(leitor.Arquivo());
  if (!tipo) {
    relato.Falha(origem,
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
    relato.Falha(origem, falha);
    return;
  }
  TeSocialEvento& evento = colecao.Evento(colecao.Count() - 1);
  const std::string id = evento.Id().empty() ? origem : evento.Id();
  for (const std::string& alerta : evento.Gerador().ListaDeAlertas())
    relato.Alerta(id, AlertaLegivel(alerta));
  if (falha.empty() && identificadores.contains(evento.Id())) {
    // Two documents under one identifier: the government keeps only the first.
    falha = "identificador repetido: é o mesmo do evento de " + identificadores[evento.Id()] +
            "; informe outro Sequencial na seção " + ElementoDoTipoEvento(*tipo) + ".";
  }
  if (!falha.empty()) {
    relato.Falha(id, CausaDaFalha(falha, evento.Id()));
    colecao.ExcluirUltimo();
    return;
  }
  identificadores.emplace(evento.Id(), origem);
}

void GerarEsocial(const PedidoEventos& pedido, const AmbienteEventos& ambiente,
                  RelatoEventos& relato) {
  TeSocialComponente componente(TUtil::GetAppPath());
  Configurar(componente, pedido);
  PrepararCertificado(componente, ambiente);
  std::error_code erro;
  std::filesystem::create_directories(pedido.saida, erro);
  if (erro) {
    throw EDFeException("Não foi possível criar a pasta de saída " + pedido.saida.string() + ": " +
                        erro.message());
  }

  TEventos& eventos = componente.Eventos();
  std::map<std::string, std::string> identificadores;  // Id -> the file of its event
  for (const std::string& arquivo : pedido.arquivos)
    CarregarArquivo(eventos, arquivo, relato, identificadores);
  eventos.SaveToFiles();
  for (const TGeradosCollectionItem& gerado : eventos.Gerados())
    relato.Documento(gerado.PathNome + ".xml");
}

std::span<const ModeloIni> ModelosEsocial() {
  return ModelosIniEsocial();
}

}  // namespace

SistemaEventos SistemaeSocialEventos() {
  return {"esocial", {"02_04_01", "02_04_02", "02_05_00"}, &GerarEsocial, &ModelosEsocial};
}

}  // namespace luvaro
