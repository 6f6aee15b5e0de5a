#include "cli/program_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "cli/version.h"

namespace unionbound {

namespace {

// unionbound-sharp's own options; their values are checked by it.
void DefineSharpOptions(CLI::App* app, ProgramOptions* options) {
  app->add_option(
         "--csv", options->csv,
         "Also write all bounds to the CSV file OUT; - is standard output")
      ->type_name("OUT");
  app->add_option("--tolerance", options->tolerance,
                  "Bounds for every consistent assignment within T of every "
                  "number (T a decimal, at least the epsilon of the data)")
      ->type_name("T");
  app->add_option("--l", options->lRange,
                  "Only the lengths l from LO to HI (or a single L)")
      ->type_name("LO..HI");
  app->add_flag("--verbose", options->verbose,
                "Every finding of the data check, and the work per program");
  app->add_flag("--full", options->full,
                "Also the full program over all 2^N atoms (every given "
                "number on its own), by column generation; N <= 60, data as "
                "typed or within --tolerance");
  app->add_option("--time-limit", options->timeLimit,
                  "Stop the full program after about S seconds with the best "
                  "certified bounds so far (beyond 22 events 60 s unless "
                  "given)")
      ->type_name("S");
  app->add_option("--at-least", options->atLeast,
                  "Bound P(at least R of the N events occur) instead of the "
                  "union (R = 1); 1 <= R <= N")
      ->type_name("R");
  app->add_option("--exactly", options->exactly,
                  "Bound P(exactly R of the N events occur); 1 <= R <= N")
      ->type_name("R");
  app->add_flag("--distribution", options->distribution,
                "Also bound P(at least r occur) for every r = 1 .. N "
                "(univariate and bivariate programs)");
  app->add_option("--groups", options->groups,
                  "The multivariate program of this partition of the events "
                  "only: one line per group, its event numbers separated by "
                  "spaces")
      ->type_name("FILE");
  app->add_option("--t", options->groupCount,
                  "The multivariate programs with T groups only (2 <= T <= "
                  "8; default 3 and 4)")
      ->type_name("T");
  app->add_flag("--multivariate", options->multivariate,
                "The multivariate programs even where they are large (by "
                "default only where they are fast; they share a minute)");
  app->add_flag("--no-multivariate", options->noMultivariate,
                "Leave the multivariate programs out");
}

void DefinePositionalSizes(CLI::App* app, ProgramOptions* options) {
  app->add_option("sizes", options->positional,
                  "N M [FILE]: the same as -n N -m M -i FILE")
      ->type_name("N M [FILE]");
}

// The file options that were given with an empty name, which names no file.
std::string EmptyFileOption(const CLI::App& app, const ProgramOptions& o,
                            const OptionSet& set) {
  const std::pair<const char*, const std::string*> files[] = {
      {"--input", &o.input},
      {"--output", &o.report},
      {"--json", &o.json},
      {"--csv", &o.csv}};
  for (const auto& [name, value] : files) {
    const bool offered =
        (std::string(name) != "--output" || set.reportOption) &&
        (std::string(name) != "--csv" || set.sharpOptions);
    if (offered && app.count(name) > 0 && value->empty()) return name;
  }
  return "";
}

// The options of the set, bound to *options. CLI11 reports its findings by
// exceptions; ParseProgramOptions turns them into an action.
void DefineOptions(const OptionSet& set, CLI::App* app,
                   ProgramOptions* options) {
  app->set_version_flag("--version", VersionLine(set.program),
                        "Print the version and exit");
  if (set.sharpOptions) {
    app->add_option("-n", options->n, "Number of events")->type_name("N");
    app->add_option("-m", options->m,
                    "Maximum order of the known intersections")
        ->type_name("M");
  } else {
    app->add_option("-n", options->n, "Number of events (no dialogue)")
        ->type_name("N");
    app->add_option("-m", options->m,
                    "Maximum order of the known intersections, odd (no "
                    "dialogue)")
        ->type_name("M");
  }
  app->add_option("-i,--input", options->input,
                  "Probability file (default prob.txt); - reads standard "
                  "input")
      ->type_name("FILE");
  if (set.reportOption) {
    app->add_option("-o,--output", options->report,
                    "Report file (default result.txt, none with --json -); "
                    "- writes the report alone to standard output")
        ->type_name("REPORT");
  }
  app->add_option("--json", options->json,
                  "Also write the run as one JSON document; - is standard "
                  "output")
      ->type_name("FILE");
  app->add_flag("-q,--quiet", options->quiet, "Print errors only");
  if (set.perLOption) {
    app->add_flag("--per-l", options->perL, "Also give one row per l");
  }
  if (set.sharpOptions) DefineSharpOptions(app, options);
  if (set.sharpOptions || set.positionalSizes) {
    DefinePositionalSizes(app, options);
  }
}

// --help with the program's own Usage block in place of the parser's.
class UsageFormatter : public CLI::Formatter {
 public:
  explicit UsageFormatter(std::string usage) : usage_(std::move(usage)) {}
  std::string make_usage(const CLI::App*, std::string) const override {
    return "Usage: " + usage_ + "\n";
  }

 private:
  std::string usage_;
};

void Configure(const OptionSet& set, CLI::App* app) {
  app->name(set.program);
  app->description(set.description);
  app->footer(set.footer);
  if (!set.usage.empty()) {
    app->formatter(std::make_shared<UsageFormatter>(set.usage));
  }
  app->get_formatter()->column_width(22);
}

// The first line of a CLI11 message, lower-cased at its start.
std::string OneLine(const std::string& what) {
  std::string line = what.substr(0, what.find('\n'));
  if (!line.empty()) {
    line[0] =
        static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
  }
  return line;
}

}  // namespace

ParsedOptions ParseProgramOptions(const OptionSet& set,
                                  const std::vector<std::string>& args) {
  ParsedOptions parsed{OptionAction::kRun, "", ProgramOptions()};
  if (args.empty()) return parsed;
  CLI::App app;
  Configure(set, &app);
  DefineOptions(set, &app, &parsed.options);
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    parsed.action = OptionAction::kPrintText;
    parsed.text = app.help();
    return parsed;
  } catch (const CLI::CallForVersion&) {
    parsed.action = OptionAction::kPrintText;
    parsed.text = VersionLine(set.program) + "\n";
    return parsed;
  } catch (const CLI::ParseError& error) {
    parsed.action = OptionAction::kRefuse;
    parsed.text = set.program + ": " + OneLine(error.what()) + " (see " +
                  set.program + " --help)\n";
    return parsed;
  }
  ProgramOptions& o = parsed.options;
  o.hasReport = set.reportOption && app.count("--output") > 0;
  const std::string empty = EmptyFileOption(app, o, set);
  if (!empty.empty()) {
    parsed.action = OptionAction::kRefuse;
    parsed.text = set.program + ": " + empty +
                  " needs a file name (- for the standard stream) (see " +
                  set.program + " --help)\n";
    return parsed;
  }
  if (set.sharpOptions || set.positionalSizes) {
    if (set.sharpOptions) {
      o.hasTolerance = app.count("--tolerance") > 0;
      o.hasLRange = app.count("--l") > 0;
      o.hasTimeLimit = app.count("--time-limit") > 0;
    }
    if (!o.positional.empty() && (app.count("-n") > 0 || app.count("-m") > 0 ||
                                  app.count("--input") > 0)) {
      parsed.action = OptionAction::kRefuse;
      parsed.text = set.program +
                    ": give the sizes either as N M [FILE] or as -n N -m M "
                    "[-i FILE] (see " +
                    set.program + " --help)\n";
      return parsed;
    }
    if (!o.positional.empty() && !set.sharpOptions) {
      if (o.positional.size() < 2 || o.positional.size() > 3) {
        std::string given;
        for (const std::string& argument : o.positional) {
          given += (given.empty() ? "" : " ") + argument;
        }
        parsed.action = OptionAction::kRefuse;
        parsed.text = set.program +
                      ": expected N M [FILE] or -n N -m M, got \"" + given +
                      "\" (see " + set.program + " --help)\n";
        return parsed;
      }
      o.n = o.positional[0];
      o.m = o.positional[1];
      if (o.positional.size() == 3) o.input = o.positional[2];
      if (o.input.empty()) {
        parsed.action = OptionAction::kRefuse;
        parsed.text = set.program +
                      ": FILE needs a file name (- for the standard stream) "
                      "(see " +
                      set.program + " --help)\n";
        return parsed;
      }
    }
    if (!o.positional.empty()) {
      o.scripted = true;
      return parsed;
    }
  }
  // The sizes come together, and every other option belongs to a run
  // without the dialogue.
  if (app.count("-n") == 0 || app.count("-m") == 0) {
    parsed.action = OptionAction::kRefuse;
    parsed.text = set.program +
                  ": give both -n and -m, or no arguments for the dialogue "
                  "(see " +
                  set.program + " --help)\n";
    return parsed;
  }
  parsed.options.scripted = true;
  return parsed;
}

std::string HelpText(const OptionSet& set) {
  CLI::App app;
  Configure(set, &app);
  ProgramOptions ignored;
  DefineOptions(set, &app, &ignored);
  return app.help();
}

std::string VersionLine(const std::string& program) {
  return program + " " + kVersion;
}

}  // namespace unionbound
