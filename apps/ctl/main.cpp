#include <iostream>
#include <string>
#include <vector>

#include "cli_args.h"
#include "offline_commands.h"
#include "online_commands.h"

namespace {

constexpr const char* kUsage = R"(usage: kestra-ctl [--state FILE] COMMAND [ARGS]
       kestra-ctl --help | -h | --version
  frame encode LETTER [FIELD...]   build a frame from its fields
  frame check TEXT                 print "valid" (exit 0) or "invalid" (exit 1)
  frame extract                    stdin: one datagram per line; print every valid frame
  state defaults                   print the default state as JSON
  state apply [FILE]               route datagrams (one per line) into the state; print it
  encode LETTER [ARGS...]          print the datagrams the sender of LETTER builds
  image write FILE                 write the 68,276-byte image of the state
  image read FILE                  print the state of an image or a scene file
  params [PATTERN]                 the parameters: PATH LABEL TYPE UNIT MIN MAX STEP CHOICES,
                                   tab-separated; PATTERN selects by path (in.*.volume, out.3.*)
  --state FILE                     start from FILE (state JSON, image or scene file); the
                                   shell honours it too
kestra-ctl [--device ADDR[:PORT]] [--local-port PORT] [--data-dir DIR] COMMAND
  discover [--host-address A.B.C.D] [--port PORT] [--wait SECONDS]
  pull                             connect, print the state JSON, disconnect (exit 3: CANNOT CONNECT.)
  levels [--count N]               print N level reports as JSON lines
  watch [--seconds N]              a live text view of the meters and auto-mixer states
  shell                            commands from stdin: connect, disconnect, wait MS, dump,
                                   set input|output N FIELD VALUE, set system FIELD VALUE,
                                   get PATH (PATH DISPLAY_TEXT STORED), set PATH VALUE
                                     (VALUE in the display unit: -10, 1k, on; prints as get),
                                   unit select U | unit assign SLOT ITEM | unit call | unit reset,
                                   type CHANNEL KIND TEXT, typefreq CHANNEL KIND TEXT,
                                   readout CHANNEL KIND,
                                   peq N reset|bypass, geq M|comp N|lim M reset|on|off,
                                   group control|mute G member input|output N on|off,
                                   group control G link VOL|MATRIX|EQ|COMP|LIMIT|PRIORITY|
                                     LINE|FBK|Delay on|off,
                                   group control|mute G activate on|off,
                                   route N K on|off, route N all, rename input|output N NAME,
                                   curve input N | curve output M (241 dB values, one a line),
                                   firmware update [--time-scale F] (images from --data-dir),
                                   scene save [NAME] | scene list | scene recall ID [--changes] |
                                   scene rename ID NAME | scene delete ID | scene diff ID [ID2],
                                   preset TABLE list | preset TABLE save CHANNEL [NAME] |
                                   preset TABLE recall ID CHANNEL | preset TABLE rename ID NAME |
                                   preset TABLE delete ID  (TABLE: PEQ GEQ Compressor LIMIT,
                                   CHANNEL from 1), recovery,
                                   undo | redo (print the entry's text),
                                   journal [N] (the last N lines: TIME ORIGIN TEXT, tab-separated)
  --data-dir DIR                   folder of Tabla540.db and the scene files (else
                                   $KESTRA_DATA_DIR, else ~/.local/share/kestra-v)
)";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        const kestra::ctl::GlobalOptions options = kestra::ctl::take_global_options(args);
        if (args.empty() || args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
            std::cout << kUsage;
            return args.empty() ? 2 : 0;
        }
        if (args[0] == "--version") {
            std::cout << "kestra-ctl " << KESTRA_VERSION << '\n';
            return 0;
        }
        if (kestra::ctl::is_offline_command(args[0])) {
            return kestra::ctl::run_offline_command(options, args, std::cin, std::cout);
        }
        if (kestra::ctl::is_online_command(args[0])) {
            return kestra::ctl::run_online_command(options, args, std::cin, std::cout, std::cerr);
        }
        throw kestra::ctl::UsageError("unknown command '" + args[0] + "'");
    } catch (const kestra::ctl::UsageError& e) {
        std::cerr << "error: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "error: " << e.what() << '\n';
        return 1;
    }
}
