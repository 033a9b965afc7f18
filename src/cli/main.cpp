// wendaro-cli: the headless front end.
#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
    CLI::App app{"wendaro-cli: share files and chat with the other Wendaro hosts on the LAN"};
    CLI11_PARSE(app, argc, argv);
    return 0;
}
