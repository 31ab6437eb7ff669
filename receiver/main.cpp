#include <boost/program_options.hpp>
#include <cstdint>
#include <exception>
#include <iostream>
#include <string>

#include "Halvorn.h"

namespace po = boost::program_options;

int main(int argc, char* argv[]) {
    const std::string version = "11." HALVORN_FRAMEWORK_VERSION;

    std::string friendly_name;
    std::string ip;
    std::uint16_t port = 0;
    std::string web_root = "web/";
    std::string dev_desc = "TvDevice.xml";
    std::string service_list = "ServiceList.xml";
    std::int32_t max_x = 0;
    std::int32_t max_y = 0;
    bool daemon = false;
    bool quit = false;
    bool show_version = false;

    po::options_description options("command line options", 80, 40);
    // clang-format off
    options.add_options()
        ("help,h", "Use -h or --help to list all the arguments")
        ("friendly-name", po::value(&friendly_name), "set friendly-name")
        ("ip", po::value(&ip), "specified the IP address of the web server")
        ("port", po::value(&port), "specified the listen port of the web server")
        ("web-root", po::value(&web_root), "set web-root directory")
        ("dev-desc", po::value(&dev_desc), "set device description xmlfile")
        ("service-list", po::value(&service_list), "set full path for ServiceList.xml")
        ("max-x", po::value(&max_x), "maximum value for the x axis")
        ("max-y", po::value(&max_y), "maximum value for the y axis")
        ("daemon,d", po::bool_switch(&daemon), "run as a daemon")
        ("quit,q", po::bool_switch(&quit), "quit the daemon")
        ("version", po::bool_switch(&show_version), "show version");
    // clang-format on

    po::variables_map variables;
    try {
        po::store(po::parse_command_line(argc, argv, options), variables);
        po::notify(variables);
    } catch (const std::exception& error) {
        std::cerr << error.what() << std::endl;
        return 1;
    }

    if (variables.count("help")) {
        std::cout << "Help: " << options << std::endl;
        return 0;
    }
    if (show_version) {
        std::cout << "Version: " << version << std::endl;
        return 0;
    }
    std::cout << "Name: halvorn, Version: " << version << ", Date: 2011-4-26, Issue: " HALVORN_ISSUE
              << std::endl;

    Halvorn halvorn;
    halvorn.web_root = web_root;
    halvorn.dev_desc = dev_desc;
    halvorn.service_list = service_list;
    halvorn.max_x = max_x;
    halvorn.max_y = max_y;
    halvorn.port = port;

    if (daemon)
        halvorn.Install();
    else if (quit)
        halvorn.Uninstall();
    else
        halvorn.Run();
    return 0;
}
