#include "cli/track_file_options.h"

#include "cli/cli_host.h"

namespace stravener::cli {

const OptionSpec kFormatOption{"--format", nullptr, "plt|gpx|kml|svg|bin",
                               {"format pliku wyjściowego, bez względu na rozszerzenie: PLT, GPX 1.1, KML 2.2, obraz "
                                "SVG albo rekordy bez zmian (domyślnie wg rozszerzenia pliku wyjściowego)",
                                "the output's format, whatever its extension: PLT, GPX 1.1, KML 2.2, an SVG "
                                "picture or the records unchanged (default: by the output's extension)"}};

const OptionSpec kSkipInvalidOption{"--skip-invalid", nullptr, nullptr,
                                    {"pomiń rekord, który nie jest prawidłowym punktem, policz go i idź dalej; "
                                     "następny punkt zaczyna nowy segment (domyślnie pierwszy taki kończy plik)",
                                     "leave a record that is not a valid point out, count it and go on, the next "
                                     "point starting a new segment (default: the first one ends the file)"}};

int ApplyTrackFileOptions(const Invocation& invocation, std::optional<TrackFileFormat>& format) {
  CliHost& host = invocation.Host();
  if (auto output = invocation.Value("--output")) {
    if (output->empty()) return UsageError(invocation.Command(), "--output takes a file name");
    host.SetOutputPath(*output);
  }
  host.SetForce(invocation.Has(kForceOption.name));
  format.reset();
  if (auto name = invocation.Value(kFormatOption.name)) {
    format = TrackFileFormatNamed(*name);
    if (!format) return UsageError(invocation.Command(), "--format takes plt, gpx, kml, svg or bin");
    host.SetDefaultExtension(TrackFileFormatExtension(*format));
  }
  return 0;
}

}  // namespace stravener::cli
