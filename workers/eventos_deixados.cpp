#include "workers/eventos_deixados.h"

#include <exception>
#include <optional>

#include "app/core/util.h"
#include "dfe/falha_validacao.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"

namespace luvaro {
namespace {

constexpr std::string_view kTipoNaoReconhecido = "Tipo de evento não reconhecido.";

bool Branco(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// "posição P (Id)" as the log and the message name a document.
std::string Referencia(const TEventoDeixado& deixado) {
  std::string texto = std::to_string(deixado.Posicao);
  if (!deixado.Identificador.empty()) texto += " (" + deixado.Identificador + ")";
  return texto;
}

// Appends a log line; a log that cannot be written must not stop the send.
void Registrar(const std::string& linha) {
  try {
    TUtil::LogAppend(linha);
  } catch (const std::exception&) {
    // The end-of-send message still names the left-out documents.
  }
}

class CargaDoLote {
 public:
  explicit CargaDoLote(const TConteinerEventos& conteiner) : m_conteiner(conteiner) {}

  void Texto(const std::string& texto) {
    std::string resto;
    const std::vector<std::string> documentos =
        DividirDocumentos(trimLeft(texto), m_conteiner.Fechamento, &resto);
    for (const std::string& documento : documentos) Documento(documento);
    // A text without its closing tag (or what follows the last document) would be dropped
    // without a word; it is named like any other document left out.
    if (documentos.empty() || !resto.empty()) {
      Deixar(++m_posicao, resto,
             "Documento sem o fechamento " + std::string(m_conteiner.Fechamento) + ".");
    }
  }

  std::vector<TEventoDeixado> Deixados() && { return std::move(m_deixados); }

 private:
  void Documento(const std::string& documento) {
    const int posicao = ++m_posicao;
    const std::size_t antes = m_conteiner.Quantidade();
    std::optional<std::string> erro;
    // For an event that is kept all the same: how the log names its failure, and the text.
    std::string falhaMantido;
    std::string textoMantido;
    try {
      m_conteiner.Carregar(documento);
    } catch (const EDFeExceptionPIN&) {
      throw;  // no later document can be signed either: the run's failure
    } catch (const std::exception& e) {
      erro = e.what();
      if (const auto* falha = dynamic_cast<const TFalhaValidacao*>(&e)) {
        // A missing schema file checked nothing: not worth a line.
        if (!falha->SchemaAusente()) {
          falhaMantido = "com falha de validação";
          textoMantido = falha->Detalhe();
        }
      } else {
        falhaMantido = "com falha na carga";  // after its signature (saving its file)
        textoMantido = e.what();
      }
    }

    if (m_conteiner.Quantidade() > antes) {
      // Signed and kept; the service judges it.
      if (!falhaMantido.empty()) {
        const TEventoDeixado evento{posicao, IdentificadorDoDocumento(documento), {}};
        Registrar("Evento incluído no lote " + falhaMantido + " - posição " + Referencia(evento) +
                  ": " + EmUmaLinha(textoMantido));
      }
      return;
    }
    Deixar(posicao, documento, erro ? EmUmaLinha(*erro) : std::string(kTipoNaoReconhecido));
  }

  void Deixar(int posicao, std::string_view documento, std::string motivo) {
    if (motivo.empty()) motivo = "Falha sem descrição.";
    TEventoDeixado& deixado = m_deixados.emplace_back(
        TEventoDeixado{posicao, IdentificadorDoDocumento(documento), std::move(motivo)});
    Registrar("Evento não incluído no lote - posição " + Referencia(deixado) + ": " +
              deixado.Motivo);
  }

  const TConteinerEventos& m_conteiner;
  int m_posicao = 0;
  std::vector<TEventoDeixado> m_deixados;
};

}  // namespace

std::vector<TEventoDeixado> CarregarEventosDoLote(const std::vector<std::string>& pTextos,
                                                  const TConteinerEventos& pConteiner) {
  CargaDoLote carga(pConteiner);
  for (const std::string& texto : pTextos) carga.Texto(texto);
  return std::move(carga).Deixados();
}

std::string MensagemEventosDeixados(const std::vector<TEventoDeixado>& pDeixados) {
  std::string texto = std::to_string(pDeixados.size()) + " evento(s) não foram incluídos no lote:";
  for (const TEventoDeixado& deixado : pDeixados)
    texto += "\rPosição " + Referencia(deixado) + ": " + deixado.Motivo;
  return texto;
}

std::string IdentificadorDoDocumento(std::string_view pDocumento) {
  const std::string minusculo = lowerAscii(pDocumento);
  for (std::size_t p = minusculo.find("id="); p != std::string::npos;
       p = minusculo.find("id=", p + 1)) {
    const std::size_t aspa = p + 3;
    if (p == 0 || !Branco(minusculo[p - 1]) || aspa >= minusculo.size()) continue;
    const char delimitador = minusculo[aspa];
    if (delimitador != '"' && delimitador != '\'') continue;
    const std::size_t fim = minusculo.find(delimitador, aspa + 1);
    if (fim == std::string::npos) return {};
    return std::string(pDocumento.substr(aspa + 1, fim - aspa - 1));
  }
  return {};
}

std::string EmUmaLinha(std::string_view pTexto) {
  std::string linha;
  std::size_t i = 0;
  while (i < pTexto.size()) {
    if (!Branco(pTexto[i])) {
      linha += pTexto[i++];
      continue;
    }
    // A run of blanks: kept as it is, unless it holds a line break.
    std::size_t fim = i;
    bool quebra = false;
    for (; fim < pTexto.size() && Branco(pTexto[fim]); ++fim)
      quebra = quebra || pTexto[fim] == '\r' || pTexto[fim] == '\n';
    linha += quebra ? std::string_view(" ") : pTexto.substr(i, fim - i);
    i = fim;
  }
  return trimText(linha);
}

}  // namespace luvaro
