#pragma once

#include <string>

namespace luvaro {

// Check of a CNPJ (company registration). Dots, slashes and dashes are ignored. Returns an
// empty text when the number is valid, otherwise the message to show the user.
std::string ValidarCNPJ(const std::string& cnpj);

// Check of a CPF (individual registration), with the same conventions as ValidarCNPJ.
std::string ValidarCPF(const std::string& cpf);

}  // namespace luvaro
