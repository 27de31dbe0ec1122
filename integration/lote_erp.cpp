#include "integration/lote_erp.h"

#include "dfe/dfe_exception.h"
#include "integration/erp_json.h"

namespace luvaro {
namespace {

const JsonNode& Membro(const JsonNode& objeto, const char* nome) {
  const JsonNode* membro = objeto.Find(nome);
  if (!membro) throw EDFeException(std::string("O membro \"") + nome + "\" não foi encontrado.");
  return *membro;
}

const JsonNode& Objeto(const JsonNode& objeto, const char* nome) {
  const JsonNode& membro = Membro(objeto, nome);
  if (membro.kind != JsonNode::Kind::Object)
    throw EDFeException(std::string("O membro \"") + nome + "\" não é um objeto.");
  return membro;
}

// A member's text: a string unescaped, a number as written, true/false as words.
std::string Texto(const JsonNode& valor, const std::string& nome) {
  if (valor.kind != JsonNode::Kind::Scalar)
    throw EDFeException("O membro \"" + nome + "\" não é um valor.");
  return valor.text;
}

std::string Valor(const JsonNode& objeto, const char* nome) {
  return Texto(Membro(objeto, nome), nome);
}

// The employer's numbers; only eSocial and EFD-Reinf lots carry them.
void LerEmpregador(const JsonNode& empresa, const std::string& tipoProjeto,
                   TRecDadosTransmissao& dados) {
  if (tipoProjeto == "esocial") {
    const JsonNode& empregador = Objeto(empresa, "empregador");
    dados.empregadorTipoInscricao = Valor(empregador, "tpInsc");
    dados.empregadorInscricao = Valor(empregador, "nrInsc");
    dados.transmissorInscricao = Valor(Objeto(empresa, "transmissor"), "nrInsc");
  } else if (tipoProjeto == "reinf") {
    dados.empregadorInscricao = Valor(empresa, "documento");
  }
}

}  // namespace

TLoteErp LerLoteErp(const std::string& corpo, const std::string& tipoProjeto,
                    const AoLerLotePath& aoLerLotePath) {
  const JsonNode raiz = ParseJson(corpo);
  if (raiz.kind != JsonNode::Kind::Object) throw EDFeException("A resposta não é um objeto JSON.");
  const JsonNode& empresas = Membro(raiz, "empresas");
  if (empresas.kind != JsonNode::Kind::Array)
    throw EDFeException("O membro \"empresas\" não é uma lista.");

  // One lot belongs to one employer: it is declared for the numbers of the last element, so
  // documents of another one would travel under a registration that is not theirs.
  const bool umEmpregador = tipoProjeto == "esocial" || tipoProjeto == "reinf";
  TLoteErp lote;
  std::optional<std::string> primeiroEmpregador;
  for (const JsonNode& empresa : empresas.items) {
    if (empresa.kind != JsonNode::Kind::Object)
      throw EDFeException("Um elemento de \"empresas\" não é um objeto.");
    LerEmpregador(empresa, tipoProjeto, lote.dados);
    const std::string& empregador = lote.dados.empregadorInscricao;
    if (umEmpregador) {
      if (primeiroEmpregador && *primeiroEmpregador != empregador) {
        const std::string quem = tipoProjeto == "esocial" ? "empregador" : "contribuinte";
        throw EDFeException("O lote traz documentos de mais de um " + quem + " (" +
                            *primeiroEmpregador + " e " + empregador +
                            "); um lote só pode levar os documentos de um " + quem + ".");
      }
      primeiroEmpregador = empregador;
    }

    lote.lotePath.clear();
    try {
      lote.lotePath = Valor(empresa, "lotePath");
      aoLerLotePath(std::nullopt);
    } catch (const EDFeException& e) {
      aoLerLotePath(std::string(e.what()));
    }

    for (const JsonMember& arquivo : Objeto(empresa, "arquivos").members)
      lote.dados.eventos.push_back(Texto(arquivo.value, arquivo.name));
  }
  return lote;
}

}  // namespace luvaro
