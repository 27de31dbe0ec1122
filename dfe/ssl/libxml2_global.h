#pragma once

#include <filesystem>

namespace luvaro {

// libxml2's one-time set-up for the whole process. Created once in main() before any thread
// starts and destroyed after every thread has ended (STYLE §6): libxml2 keeps process-wide
// state (its parser tables, its thread support, the external-entity loader) that must be
// initialised and cleaned up exactly once.
//
// While it lives:
// - libxml2's parser and thread support are initialised;
// - the external-entity loader refuses everything a document names (no file, no DTD, no
//   network). Local files are read only while a schema is being compiled, and only from the
//   folder of that schema (SchemaLoadScope below); nothing is ever read from the
//   network. Documents are therefore always parsed from memory;
// - libxml2's own error printing is silenced for every thread created afterwards; each
//   operation collects the errors it reports.
//
// The parser, serialisation and validation settings (entity substitution, default attributes,
// empty elements written as an opening and a closing tag) are applied per call, because in
// libxml2 the corresponding global switches are per thread.
//
// Only its own constructor and destructor change this state (from main(), before and after
// the threads), so no mutex guards it; the schema folder of the loader is per thread.
class LibXml2Global {
 public:
  LibXml2Global();
  ~LibXml2Global();
  LibXml2Global(const LibXml2Global&) = delete;  // one initialisation per process
  LibXml2Global& operator=(const LibXml2Global&) = delete;

  // Whether the set-up is in place (the process-wide flag of the XML signature back-end).
  static bool Inicializada() noexcept;
};

// For its lifetime, the calling thread's external-entity loader reads local files inside
// `folder`: the folder of the schema being compiled, so that its imports and includes
// resolve there and nowhere else. Outside a scope the loader reads nothing.
class SchemaLoadScope {
 public:
  explicit SchemaLoadScope(const std::filesystem::path& folder);
  ~SchemaLoadScope();
  SchemaLoadScope(const SchemaLoadScope&) = delete;  // restores the thread's previous folder
  SchemaLoadScope& operator=(const SchemaLoadScope&) = delete;

 private:
  std::filesystem::path m_folder;
  const std::filesystem::path* m_previous;
};

}  // namespace luvaro
