#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "EchoService.h"
#include "UpnpErrorMessages.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const ServiceInfo kEcho{"urn:halvorn-test:service:Echo:1", "urn:halvorn-test:serviceId:Echo",
                        "http://192.0.2.1:1/control/Echo", "http://192.0.2.1:1/event/Echo",
                        "http://192.0.2.1:1/EchoService.xml"};

// An action request as libupnp hands it to the device callback.
class Request {
public:
    Request(const std::string& action, const std::string& fixture) : request_(UpnpActionRequest_new()) {
        UpnpActionRequest_strcpy_ActionName(request_, action.c_str());
        UpnpActionRequest_strcpy_DevUDN(request_, "uuid:11111111-1111-1111-1111-111111111111");
        UpnpActionRequest_strcpy_ServiceID(request_, "urn:halvorn-test:serviceId:Echo");
        if (!fixture.empty())
            UpnpActionRequest_set_ActionRequest(
                request_, ixmlLoadDocument(FrameworkData("soap/" + fixture).c_str()));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        inet_pton(AF_INET, "192.0.2.7", &address.sin_addr);
        sockaddr_storage storage{};
        std::memcpy(&storage, &address, sizeof address);
        UpnpActionRequest_set_CtrlPtIPAddr(request_, &storage);
    }
    ~Request() {
        if (auto* doc = UpnpActionRequest_get_ActionRequest(request_)) ixmlDocument_free(doc);
        if (auto* doc = UpnpActionRequest_get_ActionResult(request_)) ixmlDocument_free(doc);
        UpnpActionRequest_delete(request_);
    }
    UpnpActionRequest* get() { return request_; }
    int ErrCode() const { return UpnpActionRequest_get_ErrCode(request_); }
    std::string ErrStr() const { return UpnpActionRequest_get_ErrStr_cstr(request_); }
    std::string Result() const {
        auto* doc = UpnpActionRequest_get_ActionResult(request_);
        return doc ? xml::Serialize(doc) : std::string();
    }

private:
    UpnpActionRequest* request_;
};

}  // namespace

TEST(Conversion, IntegersMustBeWholeNumbersInRange) {
    int32_t i = 7;
    EXPECT_TRUE(ConvertParameter("-42", i));
    EXPECT_EQ(i, -42);
    for (const char* bad : {"", "abc", "12abc", " 1", "1 ", "2147483648", "1.5"})
        EXPECT_FALSE(ConvertParameter(bad, i)) << bad;

    uint16_t u16 = 0;
    EXPECT_TRUE(ConvertParameter("65535", u16));
    EXPECT_FALSE(ConvertParameter("65536", u16));
    uint32_t u32 = 0;
    EXPECT_TRUE(ConvertParameter("4294967295", u32));
    // lexical_cast would wrap a negative number into the unsigned range.
    EXPECT_FALSE(ConvertParameter("-1", u32));
    EXPECT_FALSE(ConvertParameter("-1", u16));
    EXPECT_FALSE(ConvertParameter("+1", u16));
    EXPECT_TRUE(ConvertParameter("+5", i));
    EXPECT_EQ(i, 5);
    for (const char* bad : {"+", "+-5", "-", "0x10"}) EXPECT_FALSE(ConvertParameter(bad, i)) << bad;
    // Found by fuzzing: digits after other text overflowed inside lexical_cast.
    EXPECT_FALSE(ConvertParameter("klns:u31991111111111111#11111", u16));
    EXPECT_FALSE(ConvertParameter("x111111111111111111111111111111", u32));
    EXPECT_FALSE(ConvertParameter("x111111111111111111111111111111", i));
}

TEST(Conversion, FloatsMustBeFiniteNumbers) {
    float f = 0;
    EXPECT_TRUE(ConvertParameter("0.25", f));
    EXPECT_FLOAT_EQ(f, 0.25f);
    EXPECT_TRUE(ConvertParameter("-3.7", f));
    for (const char* bad : {"", "x", "0.5.5", "nan", "inf", "-inf", "1e999"})
        EXPECT_FALSE(ConvertParameter(bad, f)) << bad;
}

TEST(Conversion, FailedBindingKeepsOldValueAndReportsOnStandardError) {
    int32_t member = 5;
    ActionParameterImpl<int32_t> binding("Number", &member);
    CaptureStderr();
    EXPECT_FALSE(binding.SetValue("abc"));
    EXPECT_EQ(GetCapturedStderr(), "Action NumberParameter :abc");
    EXPECT_EQ(member, 5);
    EXPECT_TRUE(binding.SetValue("6"));
    EXPECT_EQ(member, 6);
}

TEST(Conversion, NumbersBecomeDecimalText) {
    EXPECT_EQ(ActionParameter("A", -12).value, "-12");
    EXPECT_EQ(ActionParameter("A", 4294967295u).value, "4294967295");
    EXPECT_EQ(ActionParameter("A", uint16_t(7)).value, "7");
}

TEST(ErrorTable, KnownCodesAndFallback) {
    EXPECT_EQ(UpnpErrorText(402), "Invalid soap param");
    EXPECT_EQ(UpnpErrorText(-911), "Internal error");
    EXPECT_EQ(UpnpErrorText(801), "Unauthenticated access");
    EXPECT_EQ(UpnpErrorText(999), "Invalid parameter.");
    EXPECT_EQ(UpnpErrorMessages().size(), 26u);
}

// A code a service answers without a text of its own would go out with the
// fallback text.
TEST(ErrorTable, EveryNamedCodeHasItsOwnText) {
    const std::string fallback = UpnpErrorText(999);
    for (const int code : upnp_error::kAllCodes) {
        EXPECT_EQ(UpnpErrorMessages().count(code), 1u) << code;
        EXPECT_NE(UpnpErrorText(code), fallback) << code;
    }
    EXPECT_EQ(std::size(upnp_error::kAllCodes), UpnpErrorMessages().size());
}

class HandleTest : public testing::Test {
protected:
    EchoService service{kEcho, true};
    void SetUp() override { ASSERT_TRUE(service.LoadActions()); }
};

TEST_F(HandleTest, LoadsOnlyImplementedActionsInScpdOrder) {
    ASSERT_EQ(service.Actions().size(), 3u);
    EXPECT_EQ(service.Actions()[0]->Name(), "Echo");
    EXPECT_EQ(service.Actions()[1]->Name(), "Fail");
    EXPECT_EQ(service.Actions()[2]->Name(), "Nothing");
}

TEST_F(HandleTest, SuccessfulActionWritesOutArgumentsInOrder) {
    Request request("Echo", "EchoRequest.xml");
    ASSERT_TRUE(service.Dispatch(request.get()));
    EXPECT_EQ(request.ErrCode(), 0);
    std::string result = request.Result();
    EXPECT_NE(result.find("EchoResponse"), std::string::npos) << result;
    auto at_result = result.find("<Result>hello</Result>");
    auto at_twice = result.find("<Twice>42</Twice>");
    ASSERT_NE(at_result, std::string::npos) << result;
    ASSERT_NE(at_twice, std::string::npos) << result;
    EXPECT_LT(at_result, at_twice);
    EXPECT_EQ(service.Find<EchoAction>("Echo")->last_address, "192.0.2.7");
}

TEST_F(HandleTest, UnknownActionIsNotTaken) {
    Request request("Unimplemented", "NothingRequest.xml");
    EXPECT_FALSE(service.Dispatch(request.get()));
}

TEST_F(HandleTest, MissingDocumentOrActionElementSetsNothing) {
    for (auto [fixture, log] : {std::pair<const char*, const char*>{"", "Can't parse the request xml."},
                                {"EchoWrongNamespace.xml", "Can't parse the request node: Echo"}}) {
        Request request("Echo", fixture);
        CaptureStderr();
        EXPECT_TRUE(service.Dispatch(request.get()));
        EXPECT_NE(GetCapturedStderr().find(log), std::string::npos) << fixture;
        EXPECT_EQ(request.ErrCode(), 0);
        EXPECT_EQ(request.Result(), "");
        EXPECT_EQ(service.Find<EchoAction>("Echo")->runs, 0);
    }
}

TEST_F(HandleTest, BadArgumentsAreRefusedBeforeTheActionRuns) {
    for (auto [fixture, log] :
         {std::pair<const char*, const char*>{"EchoBadNumber.xml",
                                              "Request argument error: name=Number, value=abc"},
          {"EchoUnknownArgument.xml", "Request argument error: name=Colour, value=blue"},
          {"EchoNestedArgument.xml", "Request argument error: name=Text, value=<element>"},
          {"EchoHostileNumber.xml",
           "Request argument error: name=Number, value=1\\n[ERROR] forged\n"}}) {
        Request request("Echo", fixture);
        CaptureStderr();
        EXPECT_TRUE(service.Dispatch(request.get()));
        EXPECT_NE(GetCapturedStderr().find(log), std::string::npos) << fixture;
        EXPECT_EQ(request.ErrCode(), 0);
        EXPECT_EQ(request.Result(), "");
    }
    EXPECT_EQ(service.Find<EchoAction>("Echo")->runs, 0);
}

TEST_F(HandleTest, EmptyStringIsAccepted) {
    Request request("Echo", "EchoEmptyText.xml");
    service.Dispatch(request.get());
    EXPECT_EQ(service.Find<EchoAction>("Echo")->text, "");
    EXPECT_NE(request.Result().find("<Twice>42</Twice>"), std::string::npos) << request.Result();
}

// An omitted in-argument would otherwise keep what the previous client sent,
// and a huge one would reach the action whole: both are refused with 402.
TEST_F(HandleTest, MissingOrHugeArgumentsAreRefusedWith402) {
    Request first("Echo", "EchoRequest.xml");
    service.Dispatch(first.get());
    auto* echo = service.Find<EchoAction>("Echo");
    ASSERT_EQ(echo->runs, 1);

    Request missing("Echo", "EchoNumberOnly.xml");
    Request huge("Echo", "EchoRequest.xml");
    xml::SetText(
        UpnpActionRequest_get_ActionRequest(huge.get()),
        xml::ElementsByTag(UpnpActionRequest_get_ActionRequest(huge.get()), "Text").front(),
        std::string(64 * 1024 + 1, 'x'));
    for (auto [request, log] : {std::pair{&missing, "Request argument missing: name=Text"},
                                std::pair{&huge, "Request argument too long: name=Text"}}) {
        CaptureStderr();
        EXPECT_TRUE(service.Dispatch(request->get()));
        EXPECT_NE(GetCapturedStderr().find(log), std::string::npos) << log;
        EXPECT_EQ(request->ErrCode(), 402);
        EXPECT_EQ(request->ErrStr(), "Invalid soap param");
        EXPECT_EQ(request->Result(), "");
    }
    EXPECT_EQ(echo->runs, 1);
    EXPECT_EQ(echo->text, "hello");
}

TEST(ValidText, KeepsXmlCharactersAndReplacesEverythingElse) {
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(xml::ValidText("tab\tline\r\n<&> \xC3\xA9 \xF0\x9F\x98\x80"),
              "tab\tline\r\n<&> \xC3\xA9 \xF0\x9F\x98\x80");
    // Control character, stray byte, overlong form, surrogate, U+FFFE, beyond
    // U+10FFFF, a sequence cut short at the end.
    for (const char* bad : {"\x01", "\xFF", "\xC0\x80", "\xED\xA0\x80", "\xEF\xBF\xBE",
                            "\xF4\x90\x80\x80", "\xE2\x82"}) {
        EXPECT_EQ(xml::ValidText(std::string("a") + bad + "b").substr(0, 4), "a" + replacement)
            << bad;
    }
    EXPECT_EQ(xml::ValidText("\xE2\x82"), replacement + replacement);
}

// ixml writes a value as it stands, and a control character in one
// out-argument made the whole response unreadable (found by fuzzing).
TEST_F(HandleTest, OutArgumentsThatAreNotXmlTextStillGiveAReadableResponse) {
    Request request("Echo", "EchoRequest.xml");
    IXML_Document* doc = UpnpActionRequest_get_ActionRequest(request.get());
    xml::SetText(doc, xml::ElementsByTag(doc, "Text").front(), "a\x01" "b\xFF\xC3\xA9");
    ASSERT_TRUE(service.Dispatch(request.get()));
    const UniqueXmlDocument reread(ixmlParseBuffer(request.Result().c_str()));
    ASSERT_TRUE(reread) << request.Result();
    EXPECT_EQ(xml::FirstText(xml::AsNode(reread.get()), "Result"),
              "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xC3\xA9");
}

// A document as a value goes out as CDATA that libixml's own parser reads
// back: it ends a section at the first byte above 0x7F, so such characters
// travel as references, and "]]>" as "]]&gt;".
TEST_F(HandleTest, DocumentValuesGoOutAsCdataEveryParserReads) {
    service.Find<EchoAction>("Echo")->markup = true;
    Request request("Echo", "EchoRequest.xml");
    IXML_Document* doc = UpnpActionRequest_get_ActionRequest(request.get());
    xml::SetText(doc, xml::ElementsByTag(doc, "Text").front(),
                 "<t a=\"\xE8\xA7\x86\">\xC3\xA9\xF0\x9F\x98\x80 ]]></t>");
    ASSERT_TRUE(service.Dispatch(request.get()));
    const std::string sent = request.Result();
    EXPECT_NE(sent.find("<Result><![CDATA[<t a=\"&#x89C6;\">&#xE9;&#x1F600; ]]&gt;</t>]]></Result>"),
              std::string::npos)
        << sent;
    const UniqueXmlDocument reread(ixmlParseBuffer(sent.c_str()));
    ASSERT_TRUE(reread) << sent;
    const std::string value =
        xml::AllText(xml::ElementsByTag(reread.get(), "Result").front());
    EXPECT_EQ(value, "<t a=\"&#x89C6;\">&#xE9;&#x1F600; ]]&gt;</t>");
    EXPECT_EQ(xml::AsciiMarkup("ascii only"), "ascii only");
}

TEST_F(HandleTest, ErrorCodesBecomeFaultsWithTableText) {
    Request request("Fail", "FailRequest.xml");
    CaptureStderr();
    EXPECT_TRUE(service.Dispatch(request.get()));
    EXPECT_NE(GetCapturedStderr().find("Request error=Invalid parameter."), std::string::npos);
    EXPECT_EQ(request.ErrCode(), 999);
    EXPECT_EQ(request.ErrStr(), "Invalid parameter.");

    Request known("Fail", "");
    UpnpActionRequest_set_ActionRequest(
        known.get(), ixmlParseBuffer("<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/"
                                     "envelope/\"><s:Body><u:Fail xmlns:u=\"urn:halvorn-test:"
                                     "service:Echo:1\"><Code>718</Code></u:Fail></s:Body>"
                                     "</s:Envelope>"));
    CaptureStderr();
    service.Dispatch(known.get());
    GetCapturedStderr();
    EXPECT_EQ(known.ErrCode(), 718);
    EXPECT_EQ(known.ErrStr(), "Invalid InstanceID");
}

TEST_F(HandleTest, ActionWithoutOutArgumentsStillAnswersWithAnEmptyResponse) {
    Request request("Nothing", "NothingRequest.xml");
    EXPECT_TRUE(service.Dispatch(request.get()));
    EXPECT_EQ(request.ErrCode(), 0);
    EXPECT_NE(request.Result().find("NothingResponse"), std::string::npos) << request.Result();
}

TEST(ControlPointSide, BuildRequestCarriesArgumentsAndBindResponseFillsOutputs) {
    class Remote : public UpnpAction {
    public:
        Remote() : UpnpAction(kEcho, "Echo") {
            AddOutput("Result", &result);
            AddOutput("Twice", &twice);
        }
        int ProcessRequest(const std::string&, ActionResults&) override { return 0; }
        int OnResponse() override { return ++responses; }
        std::string result;
        int32_t twice = 0;
        int responses = 0;
    } remote;

    auto request = remote.BuildRequest({{"Text", "hi"}, {"Number", 3}});
    ASSERT_TRUE(request);
    std::string text = xml::Serialize(request.get());
    EXPECT_NE(text.find("Echo"), std::string::npos);
    EXPECT_NE(text.find("<Text>hi</Text>"), std::string::npos) << text;
    EXPECT_NE(text.find("<Number>3</Number>"), std::string::npos) << text;

    auto response = ShareDocument(ixmlParseBuffer(
        "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>"
        "<u:EchoResponse xmlns:u=\"urn:halvorn-test:service:Echo:1\"><Result>back</Result>"
        "<Twice>abc</Twice><Extra>x</Extra></u:EchoResponse></s:Body></s:Envelope>"));
    CaptureStderr();
    EXPECT_FALSE(remote.BindResponse(response));
    GetCapturedStderr();
    EXPECT_EQ(remote.result, "back");
    EXPECT_EQ(remote.twice, 0);  // not convertible: ignored
    EXPECT_EQ(remote.responses, 1);
}
