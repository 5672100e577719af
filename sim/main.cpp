// dxsim: a simulated DX3, DX5 or RV5 controller on a pseudo-terminal.

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <memory>
#include <string>

#include "sim/command_line.h"
#include "sim/pty_server.h"
#include "sim/trace.h"

int main(int argc, char** argv) {
    dxsim::CommandLine cl;
    std::string error;
    if (!dxsim::ParseCommandLine(argc, argv, &cl, &error)) {
        fprintf(stderr, "dxsim: %s\nTry 'dxsim --help'.\n", error.c_str());
        return 2;
    }
    if (cl.help) {
        fputs(dxsim::UsageText().c_str(), stdout);
        return 0;
    }
    if (cl.version) {
        printf("dxsim %s\n", DXSIM_VERSION);
        return 0;
    }

    // The signals that end the program are taken by sigwait below; every thread started from
    // here on inherits the blocked set.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    sigaddset(&endSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    FILE* traceOut = nullptr;
    std::unique_ptr<dxsim::TextTrace> trace;
    if (cl.trace) {
        traceOut = cl.traceFile.empty() ? stderr : fopen(cl.traceFile.c_str(), "a");
        if (traceOut == nullptr) {
            fprintf(stderr, "dxsim: cannot open %s\n", cl.traceFile.c_str());
            return 1;
        }
        trace = std::make_unique<dxsim::TextTrace>(traceOut, cl.server.profile.name);
        cl.server.trace = trace.get();
    }
    cl.server.onLineOpened = [](const std::string& path) {
        printf("%s\n", path.c_str());
        fflush(stdout);
    };

    int exitCode = 0;
    {
        dxsim::PtyServer server(cl.server);
        if (!server.Start(&error)) {
            fprintf(stderr, "dxsim: %s\n", error.c_str());
            exitCode = 1;
        } else {
            int sig = 0;
            sigwait(&endSignals, &sig);
            if (trace) {
                trace->Note(std::string("ending on ") + (sig == SIGINT    ? "SIGINT"
                                                         : sig == SIGTERM ? "SIGTERM"
                                                                          : "SIGHUP"));
            }
            server.Stop();
        }
    }
    if (traceOut != nullptr && traceOut != stderr) {
        fclose(traceOut);
    }
    return exitCode;
}
