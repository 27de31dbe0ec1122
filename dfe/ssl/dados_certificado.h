#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dfe/ssl/ssl_types.h"

namespace luvaro {

// The data of one certificate, as the store reads it. Setting SubjectName derives RazaoSocial
// and CNPJ; setting IssuerName derives Certificadora.
class TDadosCertificado {
 public:
  void Clear();

  const std::string& NumeroSerie() const { return FNumeroSerie; }
  void SetNumeroSerie(const std::string& value) { FNumeroSerie = value; }
  const std::string& ThumbPrint() const { return FThumbPrint; }
  void SetThumbPrint(const std::string& value) { FThumbPrint = value; }
  const std::string& SubjectName() const { return FSubjectName; }
  void SetSubjectName(const std::string& value);
  const std::string& RazaoSocial() const { return FRazaoSocial; }
  const std::string& CNPJ() const { return FCNPJ; }
  void SetCNPJ(const std::string& value) { FCNPJ = value; }
  const std::string& IssuerName() const { return FIssuerName; }
  void SetIssuerName(const std::string& value);
  const std::string& Certificadora() const { return FCertificadora; }
  double DataVenc() const { return FDataVenc; }  // date-time: days since 30 Dec 1899, local time
  void SetDataVenc(double value) { FDataVenc = value; }
  TSSLTipoCertificado Tipo() const { return FTipo; }
  void SetTipo(TSSLTipoCertificado value) { FTipo = value; }
  const std::string& DERBase64() const { return FDERBase64; }
  void SetDERBase64(const std::string& value) { FDERBase64 = value; }

 private:
  std::string FNumeroSerie;
  std::string FThumbPrint;
  std::string FSubjectName;
  std::string FRazaoSocial;
  std::string FCNPJ;
  std::string FIssuerName;
  std::string FCertificadora;
  double FDataVenc = 0;
  TSSLTipoCertificado FTipo = TSSLTipoCertificado::tpcDesconhecido;
  std::string FDERBase64;
};

// The store listing; owns its entries.
class TListaCertificados {
 public:
  TDadosCertificado& New();
  void Clear() { FItens.clear(); }
  std::size_t Count() const { return FItens.size(); }
  TDadosCertificado& operator[](std::size_t i) { return *FItens.at(i); }
  const TDadosCertificado& operator[](std::size_t i) const { return *FItens.at(i); }

 private:
  std::vector<std::unique_ptr<TDadosCertificado>> FItens;
};

}  // namespace luvaro
