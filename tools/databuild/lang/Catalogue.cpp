#include "tools/databuild/lang/Catalogue.h"

#include <gettext-po.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "tools/databuild/Registry.h"

namespace vornu::databuild::lang {

namespace fs = std::filesystem;

namespace {

// The library reports problems through callbacks; they are gathered here for the one call in
// progress and turned into a BuildError naming the file when the call comes back.
thread_local std::vector<std::string>* gProblems = nullptr;

struct GatherProblems {
  std::vector<std::string> list;
  GatherProblems() { gProblems = &list; }
  ~GatherProblems() { gProblems = nullptr; }
  GatherProblems(const GatherProblems&) = delete;
  GatherProblems& operator=(const GatherProblems&) = delete;
};

// Writing, the library goes on with a file it could not open after a fatal problem: the
// exception unwinds out of it instead. Reading, its one fatal report is the count of the errors
// already reported, after which it only returns what it read: returning lets it free that.
struct FatalProblem : std::runtime_error {
  using std::runtime_error::runtime_error;
};
thread_local bool gFatalThrows = false;

std::string Where(const char* filename, std::size_t lineno) {
  if (!filename) return "";
  std::string s = filename;
  // Appended piece by piece: GCC 12's optimiser misreads "literal" + std::string&& as an
  // overlapping copy and warns in the release build.
  if (lineno != static_cast<std::size_t>(-1)) s.append(":").append(std::to_string(lineno));
  return s.append(": ");
}

void OnProblem(int severity, po_message_t, const char* filename, std::size_t lineno, std::size_t,
               int, const char* text) {
  const std::string what = Where(filename, lineno) + (text ? text : "");
  if (severity == PO_SEVERITY_FATAL_ERROR && gFatalThrows) throw FatalProblem(what);
  if (severity != PO_SEVERITY_WARNING && gProblems) gProblems->push_back(what);
}

void OnProblem2(int severity, po_message_t m1, const char* f1, std::size_t l1, std::size_t c1,
                int ml1, const char* t1, po_message_t, const char* f2, std::size_t l2, std::size_t,
                int, const char* t2) {
  const std::string joined = std::string(t1 ? t1 : "") + " " + Where(f2, l2) + (t2 ? t2 : "");
  OnProblem(severity, m1, f1, l1, c1, ml1, joined.c_str());
}

const po_xerror_handler kHandler = {&OnProblem, &OnProblem2};

struct FileCloser {
  void operator()(po_file_t f) const { po_file_free(f); }
};
using PoFile = std::unique_ptr<std::remove_pointer_t<po_file_t>, FileCloser>;

struct IteratorCloser {
  void operator()(po_message_iterator_t it) const { po_message_iterator_free(it); }
};
using PoIterator = std::unique_ptr<std::remove_pointer_t<po_message_iterator_t>, IteratorCloser>;

std::string Joined(const std::vector<std::string>& problems) {
  std::string s;
  for (const auto& p : problems) s += (s.empty() ? "" : "; ") + p;
  return s;
}

}  // namespace

// Debian's libgettextpo keeps the translations it read after po_file_free (a few kilobytes a
// catalogue, once a run): the leak checker of the sanitizer builds is told to expect it.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libgettextpo\n";
}

std::string Describe(const std::string& context, const std::string& id) {
  std::string shown = id;
  for (std::size_t at = 0; (at = shown.find('\n', at)) != std::string::npos;) {
    shown.replace(at, 1, "\\n");
  }
  return "msgctxt \"" + context + "\" msgid \"" + shown + "\"";
}

Catalogue Catalogue::Identity() {
  return Catalogue();
}

Catalogue Catalogue::Read(const fs::path& po) {
  if (!fs::is_regular_file(po)) throw BuildError(po, 0, "missing or not a file");
  Catalogue c;
  c.file_ = po;
  c.identity_ = false;
  GatherProblems problems;
  gFatalThrows = false;
  PoFile file(po_file_read(po.string().c_str(), &kHandler));
  if (!file || !problems.list.empty()) {
    throw BuildError(po, 0, "not a readable PO file: " + Joined(problems.list));
  }
  PoIterator it(po_message_iterator(file.get(), nullptr));
  while (po_message_t m = po_next_message(it.get())) {
    const std::string id = po_message_msgid(m);
    if (po_message_is_obsolete(m)) continue;
    if (id.empty()) {  // the header
      const std::string header = po_message_msgstr(m);
      const auto type = header.find("Content-Type:");
      if (type != std::string::npos &&
          header.substr(type, header.find('\n', type) - type).find("charset=UTF-8") ==
              std::string::npos) {
        throw BuildError(po, 0, "the catalogue must be UTF-8 (Content-Type: ...; charset=UTF-8)");
      }
      continue;
    }
    const char* ctx = po_message_msgctxt(m);
    Entry e{po_message_msgstr(m), po_message_is_fuzzy(m) != 0};
    c.entries_[{ctx ? ctx : "", id}] = std::move(e);
  }
  return c;
}

std::string Catalogue::Translate(const std::string& context, const std::string& id) const {
  if (identity_) return id;
  const auto it = entries_.find({context, id});
  if (it == entries_.end()) {
    throw BuildError(file_, 0, "lacks " + Describe(context, id) + " (run make pot, then msgmerge)");
  }
  if (it->second.fuzzy) {
    throw BuildError(file_, 0,
                     "the translation of " + Describe(context, id) +
                         " is marked fuzzy: check it and remove the mark");
  }
  if (it->second.translation.empty()) {
    throw BuildError(file_, 0, "does not translate " + Describe(context, id));
  }
  return it->second.translation;
}

void WriteTemplate(const std::vector<TemplateMessage>& messages, const fs::path& pot) {
  GatherProblems problems;
  PoFile file(po_file_create());
  PoIterator it(po_message_iterator(file.get(), nullptr));
  po_message_t header = po_message_create();
  po_message_set_msgid(header, "");
  po_message_set_msgstr(header,
                        "Project-Id-Version: vornu\n"
                        "PO-Revision-Date: YEAR-MO-DA HO:MI+ZONE\n"
                        "Last-Translator: FULL NAME <EMAIL@ADDRESS>\n"
                        "Language-Team: LANGUAGE <LL@li.org>\n"
                        "Language: \n"
                        "MIME-Version: 1.0\n"
                        "Content-Type: text/plain; charset=UTF-8\n"
                        "Content-Transfer-Encoding: 8bit\n");
  po_message_set_comments(header,
                          "Vornu's texts: the template every language's catalogue is "
                          "made from (make pot).\n");
  po_message_insert(it.get(), header);
  for (const TemplateMessage& t : messages) {
    po_message_t m = po_message_create();
    po_message_set_msgctxt(m, t.context.c_str());
    po_message_set_msgid(m, t.id.c_str());
    po_message_set_msgstr(m, "");
    if (!t.note.empty()) po_message_set_extracted_comments(m, t.note.c_str());
    for (const auto& [f, line] : t.refs) {
      po_message_add_filepos(m, f.c_str(), static_cast<std::size_t>(line));
    }
    po_message_insert(it.get(), m);
  }
  it.reset();
  const fs::path part = pot.string() + ".part";
  if (std::FILE* f = std::fopen(part.string().c_str(), "wb")) {
    std::fclose(f);
  } else {
    throw BuildError(pot, 0, "cannot write the template: cannot create " + part.string());
  }
  gFatalThrows = true;
  try {
    if (!po_file_write(file.get(), part.string().c_str(), &kHandler)) {
      problems.list.push_back("the library refused to write it");
    }
  } catch (const FatalProblem& e) {
    problems.list.push_back(e.what());
  }
  gFatalThrows = false;
  std::error_code ec;
  if (problems.list.empty()) fs::rename(part, pot, ec);
  if (!problems.list.empty() || ec) {
    fs::remove(part, ec);
    throw BuildError(pot, 0,
                     "cannot write the template: " +
                         (problems.list.empty() ? ec.message() : Joined(problems.list)));
  }
}

}  // namespace vornu::databuild::lang
