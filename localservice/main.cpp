// korvo-service: the online service's pages and files on 127.0.0.1, for the
// programs on this machine.
#include "localservice/headercap.h"
#include "localservice/notestore.h"
#include "localservice/pages.h"
#include "localservice/serviceoptions.h"
#include "localservice/serviceserver.h"
#include "localservice/userstore.h"

#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    std::string error;
    const auto options = ParseServiceOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "korvo-service: %s\n"
                             "usage: korvo-service --db FILE [--port N] [--files DIR] [--driver NAME]"
                             " [--user NAME:PASSWORD[:E-MAIL]]...\n",
                     error.c_str());
        return 2;
    }
    try {
        UserStore store(options->driver, options->database);
        for (const SeedUser& user : options->users)
            store.addUser(user.name, user.scrambledPassword, user.email);
        NoteStore notes(store);
        ServicePages pages(store, notes);
        ServiceServer server(pages, options->files);
        auto* listener = new HeaderCappedServer(&server);
        const bool listening = listener->listen(QHostAddress::LocalHost, static_cast<quint16>(options->port));
        server.bind(listener);
        const quint16 port = listening ? listener->serverPort() : 0;
        if (port == 0) {
            std::fprintf(stderr, "korvo-service: cannot listen on 127.0.0.1:%d\n", options->port);
            return 1;
        }
        std::printf("listening 127.0.0.1:%u\n", static_cast<unsigned>(port));
        std::fflush(stdout);
        return app.exec();
    } catch (const StoreError& storeError) {
        std::fprintf(stderr, "korvo-service: %s\n", storeError.what());
        return 1;
    }
}
