#include "tools/eventos/linha_comando.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <ostream>

#include "app/core/util.h"

namespace luvaro {
namespace {

// A wrong command line: its message goes to standard error before the usage text.
struct ErroLinhaComando {
  std::string mensagem;
};

struct Comando {
  const SistemaEventos* sistema = nullptr;
  std::string modelo;  // the event code of --modelo, empty when building
  PedidoEventos pedido;
};

const SistemaEventos* SistemaDoNome(const std::string& nome) {
  for (const SistemaEventos& sistema : SistemasEventos())
    if (sistema.nome == nome) return &sistema;
  return nullptr;
}

bool OpcaoDeOutroSistema(const std::string& opcao) {
  for (const SistemaEventos& sistema : SistemasEventos())
    if (sistema.opcaoTipo.nome == opcao) return true;
  return false;
}

std::string Leiautes(const SistemaEventos& sistema) {
  std::string texto;
  for (std::string_view leiaute : sistema.leiautes) {
    if (!texto.empty()) texto += ", ";
    texto += leiaute;
  }
  return texto;
}

int Tipo(const OpcaoTipoEventos& opcao, const std::string& texto) {
  int valor = -1;
  const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), valor);
  if (erro != std::errc() || fim != texto.data() + texto.size() || valor < 0 ||
      valor > opcao.maior) {
    throw ErroLinhaComando{std::string(opcao.nome) + " deve ser um número de 0 a " +
                           std::to_string(opcao.maior) + ": \"" + texto + "\"."};
  }
  return valor;
}

Comando LerComando(const std::vector<std::string>& argumentos) {
  Comando comando;
  if (argumentos.empty()) throw ErroLinhaComando{"Informe o sistema e o leiaute."};
  comando.sistema = SistemaDoNome(argumentos[0]);
  if (comando.sistema == nullptr)
    throw ErroLinhaComando{"Sistema desconhecido: \"" + argumentos[0] + "\"."};

  std::vector<std::string> posicionais;
  std::filesystem::path saida = ".";
  std::filesystem::path schemas = std::filesystem::path(TUtil::GetAppPath()) / "schemas";
  for (std::size_t i = 1; i < argumentos.size(); ++i) {
    std::string opcao = argumentos[i];
    std::string valor;
    const bool ehOpcao = opcao.starts_with("--") && opcao.size() > 2;
    if (!ehOpcao) {
      posicionais.push_back(opcao);
      continue;
    }
    // "--opcao valor" or "--opcao=valor".
    if (const std::size_t igual = opcao.find('='); igual != std::string::npos) {
      valor = opcao.substr(igual + 1);
      opcao.resize(igual);
    } else if (i + 1 < argumentos.size()) {
      valor = argumentos[++i];
    } else {
      throw ErroLinhaComando{"Falta o valor de " + opcao + "."};
    }
    if (opcao == "--saida") {
      saida = valor;
    } else if (opcao == "--schemas") {
      schemas = valor;
    } else if (opcao == comando.sistema->opcaoTipo.nome) {
      comando.pedido.tipo = Tipo(comando.sistema->opcaoTipo, valor);
    } else if (opcao == "--modelo") {
      comando.modelo = valor;
    } else if (OpcaoDeOutroSistema(opcao)) {
      throw ErroLinhaComando{opcao + " não vale para " + std::string(comando.sistema->nome) + "."};
    } else {
      throw ErroLinhaComando{"Opção desconhecida: " + opcao + "."};
    }
    if (valor.empty()) throw ErroLinhaComando{"Falta o valor de " + opcao + "."};
  }

  if (posicionais.empty()) throw ErroLinhaComando{"Informe o leiaute."};
  comando.pedido.leiaute = posicionais[0];
  bool conhecido = false;
  for (std::string_view leiaute : comando.sistema->leiautes)
    conhecido = conhecido || leiaute == comando.pedido.leiaute;
  if (!conhecido) {
    throw ErroLinhaComando{"Leiaute desconhecido para " + std::string(comando.sistema->nome) +
                           ": \"" + comando.pedido.leiaute +
                           "\" (leiautes: " + Leiautes(*comando.sistema) + ")."};
  }
  if (!comando.modelo.empty()) {
    if (posicionais.size() > 1)
      throw ErroLinhaComando{"--modelo não recebe arquivos: \"" + posicionais[1] + "\"."};
  } else if (posicionais.size() < 2) {
    throw ErroLinhaComando{"Informe ao menos um arquivo INI."};
  }
  comando.pedido.arquivos.assign(posicionais.begin() + 1, posicionais.end());
  comando.pedido.saida = saida;
  comando.pedido.schemas = schemas;
  return comando;
}

}  // namespace

std::string TextoDeUso() {
  std::string texto =
      "Uso: luvaro-eventos <sistema> [opções] <leiaute> <arquivo.ini>...\n"
      "     luvaro-eventos <sistema> --modelo <código do evento> <leiaute>\n"
      "\n"
      "Lê cada arquivo INI, gera o evento que ele descreve, assina-o com o certificado e o\n"
      "valida pelo schema do leiaute; cada documento assinado é gravado na pasta de saída como\n"
      "<dígitos do Id>-<código do evento>-<n>.xml e o seu caminho escrito na saída padrão.\n"
      "Com --modelo, escreve o INI comentado do evento, com todas as seções e chaves, para\n"
      "preencher.\n"
      "\n"
      "Sistemas e leiautes:\n";
  for (const SistemaEventos& sistema : SistemasEventos())
    texto += "  " + std::string(sistema.nome) + "  " + Leiautes(sistema) + "\n";
  texto +=
      "\n"
      "Opções:\n"
      "  --saida PASTA           pasta dos documentos gerados (padrão: a pasta atual)\n"
      "  --schemas PASTA         pasta dos schemas XSD (padrão: a pasta schemas do programa,\n"
      "                          em LUVARO_HOME quando definida)\n";
  for (const SistemaEventos& sistema : SistemasEventos()) {
    std::string opcao = std::string(sistema.opcaoTipo.nome) + " N";
    opcao.resize(std::max<std::size_t>(opcao.size() + 2, 24), ' ');
    texto += "  " + opcao + std::string(sistema.opcaoTipo.descricao) + "\n";
  }
  texto +=
      "  --modelo CÓDIGO         escreve o modelo INI do evento (por exemplo S-1200 ou R-2010)\n"
      "  --ajuda                 mostra este texto\n"
      "\n"
      "Certificado: arquivo A1 em LUVARO_PFX, com a senha em LUVARO_PFX_SENHA; sem ele, o\n"
      "certificado do token PKCS#11 (módulo em LUVARO_PKCS11_MODULE, padrão p11-kit) cujo número\n"
      "de série está em LUVARO_CERTIFICADO, ou o único certificado disponível; o PIN em\n"
      "LUVARO_PIN.\n"
      "\n"
      "Alertas e falhas de cada evento vão para a saída de erros, uma por linha, precedidas do\n"
      "identificador do evento.\n"
      "Código de saída: 0 todos os eventos gerados, assinados e válidos; 1 algum evento não foi\n"
      "(os demais foram gravados); 2 linha de comando inválida.\n";
  return texto;
}

int ExecutarEventos(const std::vector<std::string>& argumentos, const AmbienteEventos& ambiente,
                    std::ostream& saida, std::ostream& erros) {
  if (!argumentos.empty() &&
      (argumentos[0] == "--ajuda" || argumentos[0] == "-h" || argumentos[0] == "--help")) {
    saida << TextoDeUso();
    return kSaidaSucesso;
  }
  Comando comando;
  try {
    comando = LerComando(argumentos);
  } catch (const ErroLinhaComando& erro) {
    erros << "luvaro-eventos: " << erro.mensagem << "\n\n" << TextoDeUso();
    return kSaidaLinhaComando;
  }

  if (!comando.modelo.empty()) {
    const std::optional<std::string_view> modelo =
        ProcurarModelo(comando.sistema->Modelos(), comando.modelo, comando.pedido.leiaute);
    if (!modelo) {
      erros << "luvaro-eventos: o evento \"" << comando.modelo << "\" não existe no leiaute "
            << comando.pedido.leiaute << " de " << comando.sistema->nome << ".\n";
      return kSaidaLinhaComando;
    }
    saida << *modelo;
    saida.flush();
    return kSaidaSucesso;
  }

  RelatoEventos relato(saida, erros);
  try {
    comando.sistema->Gerar(comando.pedido, ambiente, relato);
  } catch (const std::exception& erro) {
    // What stops the whole run (the certificate, the output folder) rather than one event.
    relato.Falha("luvaro-eventos", erro.what());
  }
  return relato.Falhou() ? kSaidaFalhaEvento : kSaidaSucesso;
}

}  // namespace luvaro
