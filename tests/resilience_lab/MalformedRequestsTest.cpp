// Broken SOAP from tests/data/malformed/ sent to every service of each
// staged program in the lab. Every answer must be an HTTP error or a SOAP
// fault, and after each one the program must still be running and answer a
// good request.
//
// A corpus file is an HTTP request with LF line ends (the header's become
// CRLF). Placeholders: {{HOST}}, {{PATH}} (control path), {{TYPE}}
// (service type), {{ACTION}} (the service's action with the most
// in-arguments), {{ARGS}} (all of them, each "0"), {{ARG1}} (the first
// one's name), {{OTHER_ARGS}} (the rest), {{REPEAT n text}}, and
// {{LENGTH}} (the body's length, filled in last).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <regex>

#include "LabGuard.h"
#include "StagedProgram.h"
#include "XvfbServer.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
}

std::string Arguments(const std::vector<std::pair<std::string, std::string>>& arguments,
                      size_t first) {
    std::string text;
    for (size_t i = first; i < arguments.size(); ++i)
        text += "<" + arguments[i].first + ">" + arguments[i].second + "</" +
                arguments[i].first + ">";
    return text;
}

#ifdef __SANITIZE_ADDRESS__
// libixml grows a value by small reallocs, and ASan's realloc copies every
// time: a 1 MiB value takes a minute a request. Twice the 64 KiB argument
// limit meets the same refusal.
constexpr long kMaxRepeat = 131072;
#else
constexpr long kMaxRepeat = std::numeric_limits<long>::max();
#endif

std::string Expand(std::string text, const StagedProgram& program,
                   const ServiceEndpoint& service) {
    ReplaceAll(text, "{{HOST}}", program.Address() + ":" + std::to_string(program.Port()));
    ReplaceAll(text, "{{PATH}}", service.control_path);
    ReplaceAll(text, "{{TYPE}}", service.type);
    ReplaceAll(text, "{{ACTION}}", service.action);
    ReplaceAll(text, "{{ARGS}}", Arguments(service.arguments, 0));
    ReplaceAll(text, "{{ARG1}}", service.arguments.empty() ? "Value" : service.arguments[0].first);
    ReplaceAll(text, "{{OTHER_ARGS}}", Arguments(service.arguments, 1));
    const std::regex repeat(R"(\{\{REPEAT (\d+) ([^}]*)\}\})");
    for (std::smatch match; std::regex_search(text, match, repeat);) {
        std::string repeated;
        for (long i = std::min(std::stol(match[1]), kMaxRepeat); i > 0; --i)
            repeated += match[2].str();
        text.replace(match.position(0), match.length(0), repeated);
    }
    const auto blank = text.find("\n\n");
    std::string head = text.substr(0, blank), body = text.substr(blank + 2);
    ReplaceAll(head, "\n", "\r\n");
    ReplaceAll(head, "{{LENGTH}}", std::to_string(body.size()));
    return head + "\r\n\r\n" + body;
}

class MalformedRequests : public testing::TestWithParam<StagedProgram::Kind> {
protected:
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        media = fs::temp_directory_path() / ("malformed-media-" + std::to_string(getpid()));
        fs::create_directories(media);
        std::ofstream(media / "song.mp3") << "not really audio";
        const std::string stage = GetParam() == StagedProgram::Kind::Receiver ? RECEIVER_STAGE
                                  : GetParam() == StagedProgram::Kind::Renderer
                                      ? RENDERER_STAGE
                                      : SERVER_STAGE;
        StagedProgram::Environment environment;
        if (GetParam() == StagedProgram::Kind::Receiver) {
            xvfb = std::make_unique<XvfbServer>();
            ASSERT_TRUE(xvfb->Running()) << xvfb->Error();
            environment.emplace_back("DISPLAY", xvfb->Display());
        }
        program = std::make_unique<StagedProgram>(GetParam(), stage, media.string(), environment);
        ASSERT_TRUE(program->WaitUntilServing()) << program->Output();
    }
    void TearDown() override {
        program.reset();  // before the X server it injects into
        xvfb.reset();
        fs::remove_all(media);
    }

    fs::path media;
    std::unique_ptr<XvfbServer> xvfb;
    std::unique_ptr<StagedProgram> program;
};

TEST_P(MalformedRequests, AreRefusedAndTheProgramKeepsAnswering) {
    const auto services = program->Services();
    ASSERT_FALSE(services.empty()) << program->Output();
    ASSERT_TRUE(program->AnswersGoodRequest()) << program->Output();
    std::vector<fs::path> corpus;
    for (const auto& entry : fs::directory_iterator(fs::path(HALVORN_TEST_DATA) / "malformed"))
        corpus.push_back(entry.path());
    std::sort(corpus.begin(), corpus.end());
    ASSERT_GE(corpus.size(), 20u);

    // A half-closed request is still answered: the refusals below are the
    // corpus's doing.
    const std::string host = program->Address() + ":" + std::to_string(program->Port());
    ASSERT_EQ(RawHttpExchange(program->Address(), program->Port(),
                              "GET /description.xml HTTP/1.1\r\nHOST: " + host + "\r\n\r\n", 10,
                              true)
                  .status,
              200);

    int sent = 0;
    for (const auto& file : corpus) {
        const std::string request = ReadFile(file);
        const auto began = std::chrono::steady_clock::now();
        for (const auto& service : services) {
            SCOPED_TRACE(file.filename().string() + " to " + service.type);
            // Half-closed: a body shorter than announced ends at once instead
            // of after libupnp's 30 s read time-out.
            const WireResponse answer = RawHttpExchange(
                program->Address(), program->Port(), Expand(request, *program, service), 60, true);
            ++sent;
            // libupnp's own refusals carry no SOAP body; ours must be faults.
            EXPECT_GE(answer.status, 400) << answer.body;
            if (answer.body.find("Envelope") != std::string::npos) {
                EXPECT_NE(answer.body.find("Fault"), std::string::npos) << answer.body;
            }
            ASSERT_TRUE(program->Running()) << program->Output();
            ASSERT_TRUE(program->AnswersGoodRequest()) << program->Output();
        }
        std::printf("malformed file=%s seconds=%.2f\n", file.filename().c_str(),
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
    }
    std::printf("malformed program=\"%s\" services=%zu files=%zu requests=%d\n",
                StagedProgram::Name(GetParam()), services.size(), corpus.size(), sent);
}

// libupnp 1.8.4 crashed on a renewal SUBSCRIBE whose request URI has no
// path; a page in the user's browser reaches us under a name of its own
// (DNS rebinding), while our own address, with or without the port, and
// localhost are fine.
TEST_P(MalformedRequests, HostileHostsAndAPathlessSubscribeAreRefused) {
    const std::string address = program->Address();
    const std::string port = std::to_string(program->Port());
    for (int attempt = 0; attempt < 2; ++attempt) {
        const WireResponse answer = RawHttpExchange(
            address, program->Port(),
            "SUBSCRIBE http://" + address + " HTTP/1.1\r\nHOST: " + address + ":" + port +
                "\r\nSID: uuid:00000000-0000-0000-0000-000000000000\r\n"
                "TIMEOUT: Second-10\r\n\r\n",
            10, true);
        EXPECT_GE(answer.status, 400) << answer.body;
        ASSERT_TRUE(program->Running()) << program->Output();
    }
    ASSERT_TRUE(program->AnswersGoodRequest()) << program->Output();

    const auto get = [&](const std::string& host) {
        return RawHttpExchange(address, program->Port(),
                               "GET /description.xml HTTP/1.1\r\nHOST: " + host + "\r\n\r\n",
                               10, true)
            .status;
    };
    EXPECT_EQ(get(address + ":" + port), 200);
    EXPECT_EQ(get(address), 200);
    EXPECT_EQ(get("LOCALHOST:" + port), 200);
    // libupnp answers a refused Host with nothing: it closes the connection.
    EXPECT_EQ(get("rebound.example:" + port), 0);
    EXPECT_EQ(get("203.0.113.9:" + port), 0);
    EXPECT_EQ(get(address + ":1"), 0);

    // A control request under a name never reaches an action.
    const auto services = program->Services();
    ASSERT_FALSE(services.empty());
    const ServiceEndpoint& service = services.front();
    const std::string body =
        "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><u:" +
        service.action + " xmlns:u=\"" + service.type + "\">" + Arguments(service.arguments, 0) +
        "</u:" + service.action + "></s:Body></s:Envelope>";
    const WireResponse soap = RawHttpExchange(
        address, program->Port(),
        "POST " + service.control_path + " HTTP/1.1\r\nHOST: rebound.example:" + port +
            "\r\nCONTENT-TYPE: text/xml; charset=\"utf-8\"\r\nSOAPACTION: \"" + service.type +
            "#" + service.action + "\"\r\nCONTENT-LENGTH: " + std::to_string(body.size()) +
            "\r\n\r\n" + body,
        10, true);
    EXPECT_EQ(soap.status, 0);
    EXPECT_EQ(soap.body.find("Envelope"), std::string::npos) << soap.body;
    ASSERT_TRUE(program->AnswersGoodRequest()) << program->Output();

    // One cut, escaped line per refusal the web server saw.
    const std::string output = program->Output();
    EXPECT_NE(output.find("[WARNING] "), std::string::npos) << output;
    EXPECT_NE(output.find("Refused a request for Host: rebound.example:" + port), std::string::npos)
        << output;
    EXPECT_NE(output.find("Refused a request for Host: 203.0.113.9:" + port), std::string::npos)
        << output;
}

INSTANTIATE_TEST_SUITE_P(Programs, MalformedRequests,
                         testing::Values(StagedProgram::Kind::Receiver,
                                         StagedProgram::Kind::Renderer,
                                         StagedProgram::Kind::Server),
                         [](const auto& info) {
                             return std::string(info.param == StagedProgram::Kind::Receiver
                                                    ? "Receiver"
                                                : info.param == StagedProgram::Kind::Renderer
                                                    ? "Renderer"
                                                    : "Server");
                         });

}  // namespace
