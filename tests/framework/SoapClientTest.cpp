// Reading SOAP responses as UpnpSendAction once did: the answer's
// out-arguments, a fault's UPnP error code, and what is no answer at all.
#include <gtest/gtest.h>
#include <upnp.h>

#include <string>

#include "SoapClient.h"

namespace {

using Arguments = std::vector<std::pair<std::string, std::string>>;

constexpr char kXml[] = "text/xml; charset=\"utf-8\"";

std::string Envelope(const std::string& body) {
    return "<?xml version=\"1.0\"?>\r\n<s:Envelope "
           "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body>" +
           body + "</s:Body></s:Envelope>";
}

std::string Fault(const std::string& code) {
    return Envelope(
        "<s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring><detail>"
        "<UPnPError xmlns=\"urn:schemas-upnp-org:control-1-0\"><errorCode>" +
        code + "</errorCode><errorDescription>No such object</errorDescription></UPnPError>"
               "</detail></s:Fault>");
}

int Read(const std::string& body, SoapAnswer* answer, int status = 200,
         const char* type = kXml) {
    return ReadSoapResponse(status, type, body, "Browse", answer);
}

}  // namespace

TEST(ReadSoapResponse, TakesTheOutArgumentsInOrderAsText) {
    const std::string didl = "&lt;DIDL-Lite&gt;&lt;item id=&quot;1&quot;&gt;R&amp;amp;B"
                             "&lt;/item&gt;&lt;/DIDL-Lite&gt;";
    SoapAnswer answer;
    ASSERT_EQ(Read(Envelope("<u:BrowseResponse xmlns:u=\"urn:schemas-upnp-org:service:"
                            "ContentDirectory:1\"><Result>" +
                            didl +
                            "</Result><NumberReturned>1</NumberReturned>"
                            "<TotalMatches> </TotalMatches><UpdateID><![CDATA[7]]></UpdateID>"
                            "<u:Extra>a<child>ignored</child>b</u:Extra></u:BrowseResponse>"),
                   &answer),
              0);
    EXPECT_EQ(answer.arguments,
              (Arguments{{"Result", "<DIDL-Lite><item id=\"1\">R&amp;B</item></DIDL-Lite>"},
                         {"NumberReturned", "1"},
                         {"TotalMatches", ""},  // white space alone is no text
                         {"UpdateID", "7"},
                         {"Extra", "ab"}}));
}

// libupnp matched names without their prefix and ignored namespaces.
TEST(ReadSoapResponse, FindsTheResponseByLocalName) {
    for (const std::string& body : {
             std::string("<Envelope><Body><BrowseResponse><Result>r</Result></BrowseResponse>"
                         "</Body></Envelope>"),
             Envelope("<Other/><BrowseResponse><Result>r</Result></BrowseResponse>"
                      "<BrowseResponse><Result>second</Result></BrowseResponse>"),
         }) {
        SoapAnswer answer;
        ASSERT_EQ(Read(body, &answer), 0) << body;
        EXPECT_EQ(answer.arguments, (Arguments{{"Result", "r"}})) << body;
    }
    SoapAnswer answer;
    EXPECT_EQ(Read(Envelope("<u:SearchResponse><Result>r</Result></u:SearchResponse>"), &answer),
              UPNP_E_BAD_RESPONSE);
    EXPECT_EQ(Read("<Other><Body><BrowseResponse/></Body></Other>", &answer),
              UPNP_E_BAD_RESPONSE);
    EXPECT_EQ(Read(Envelope("") + "", &answer), UPNP_E_BAD_RESPONSE);
}

TEST(ReadSoapResponse, AnswersAFaultWithItsUpnpErrorCode) {
    SoapAnswer answer;
    EXPECT_EQ(Read(Fault("701"), &answer, 500), 701);
    EXPECT_EQ(answer.error_description, "No such object");
    EXPECT_TRUE(answer.arguments.empty());
    EXPECT_EQ(Read(Fault(" 801 "), &answer, 500), 801);
    // Whatever the status, as long as it is one a SOAP answer may have.
    EXPECT_EQ(Read(Fault("402"), &answer, 200), 402);
    // No code that names an error: no answer.
    for (const char* code : {"", "abc", "0", "-207", "99999999999"})
        EXPECT_EQ(Read(Fault(code), &answer, 500), UPNP_E_BAD_RESPONSE) << code;
    EXPECT_EQ(Read(Envelope("<s:Fault><faultcode>s:Client</faultcode></s:Fault>"), &answer, 500),
              UPNP_E_BAD_RESPONSE);
}

TEST(ReadSoapResponse, RefusesWhatIsNoSoapAnswer) {
    const std::string good = Envelope("<BrowseResponse><Result>r</Result></BrowseResponse>");
    const struct {
        const char* name;
        int status;
        const char* type;
        std::string body;
    } cases[] = {
        {"not found", 404, kXml, good},
        {"redirect", 302, kXml, good},
        {"not xml", 200, "application/json", good},
        {"no type", 200, "", good},
        {"truncated", 200, kXml, good.substr(0, good.size() - 20)},
        {"truncated in the result", 200, kXml, good.substr(0, good.find("r</Result>"))},
        {"empty", 200, kXml, ""},
        {"not xml at all", 200, kXml, "Internal Server Error"},
        {"doctype", 200, kXml,
         "<!DOCTYPE Envelope [<!ENTITY x \"y\">]>" +
             Envelope("<BrowseResponse><Result>&x;</Result></BrowseResponse>")},
        {"two roots", 200, kXml, good + good},
        {"bad utf-8", 200, kXml,
         Envelope("<BrowseResponse><Result>\xff</Result></BrowseResponse>")},
    };
    for (const auto& c : cases) {
        SoapAnswer answer;
        EXPECT_EQ(Read(c.body, &answer, c.status, c.type), UPNP_E_BAD_RESPONSE) << c.name;
        EXPECT_TRUE(answer.arguments.empty()) << c.name;
    }
    SoapAnswer answer;
    EXPECT_EQ(Read(good, &answer, 200, "TEXT / XML"), 0);
}

TEST(SoapEnvelope, WrapsTheActionAsLibupnpDid) {
    EXPECT_EQ(SoapEnvelope("<u:Play xmlns:u=\"t\"></u:Play>"),
              "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
              "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">\r\n<s:Body>"
              "<u:Play xmlns:u=\"t\"></u:Play></s:Body>\r\n</s:Envelope>\r\n\r\n");
}
