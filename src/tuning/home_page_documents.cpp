// The built-in system.yaml documents: ASCII, CRLF line ends, keys in ascending order in every
// mapping, and the same in every line but the landing page's.
#include "tuning/home_page_documents.h"

#include <string_view>

namespace {

// Every endpoint the documents name, in one place.
namespace endpoints {
constexpr std::string_view kBlankLandingPage = "https://127.0.0.1/";
constexpr std::string_view kUsLandingPage =
    "https://lolstatic-a.akamaihd.net/pcs/leagueclient/home-overview-focused/";
constexpr std::string_view kBugReportPage = "https://kf.qq.com/faq/lol-client-bug-report.html";
constexpr std::string_view kOfficialSite = "https://lol.qq.com";
constexpr std::string_view kVoiceTokenService = "https://vts.gvoice.qq.com:18088";
constexpr std::string_view kCloudApi = "https://api.gcloud.qq.com";
constexpr std::string_view kWebAssets = "https://game.gtimg.cn";
}  // namespace endpoints

Text HomePageDocument(std::string_view landingPage) {
    using namespace endpoints;
    const Text lines[] = {
        "---",
        "app:",
        "  app_name: LeagueClient",
        "  local_settings_file: Config/LeagueClientSettings.yaml",
        "  log_dir: LeagueClient Logs",
        "  project: leagueclient",
        "  publisher: riot",
        "  respawn:",
        "    command: LeagueClient.exe",
        "    display_name: League of Legends",
        "  splash: lol",
        "  ux_app_bundle_name: League of Legends",
        "  ux_helper_name: LeagueClientUxHelper",
        "  ux_name: LeagueClientUx",
        "build:",
        "  branch: Releases/12.19",
        "  patchline: Tencent",
        "  patchline-visible-name: ''",
        JoinText("custom_landing_url: ", landingPage),
        "default_region: TENCENT",
        "patcher:",
        "  product_refresh_period: 60",
        "  self_update:",
        "    executables:",
        "      exe: LeagueClient.exe",
        JoinText("player_bug_report_url: ", kBugReportPage),
        "products:",
        "- id: league_of_legends",
        "  patcher:",
        "    id: league_of_legends",
        "region_data:",
        "  TENCENT:",
        "    available_locales:",
        "    - zh_CN",
        "    - en_US",
        "    default_locale: zh_CN",
        "    rso_platform_id: TENCENT",
        "    servers:",
        "      payments:",
        "        payments_host: " + Text(kOfficialSite) + "/comm-htdocs/pay/client/lol",
        "      rms:",
        "        rms_heartbeat_interval_seconds: 60",
        "      voice:",
        "        access_token_uri: " + Text(kVoiceTokenService) + "/vts/v1/access_token",
        "        auth_token_uri: " + Text(kVoiceTokenService) + "/vts/v1/auth_token",
        "        jwt2gvt_url: " + Text(kCloudApi) + "/lol/v1/jwt2gvt",
        "        provider: gvoice",
        "        use_external_auth: true",
        "        voice_domain: gvoice_ch",
        "        voice_url: null",
        "    web_region: staging.na",
        "web_assets_base_path: " + Text(kWebAssets) + "/",
    };
    Text document;
    for (const Text& line : lines)
        document.append(line).append("\r\n");
    return document;
}

}  // namespace

const Text& BlankHomePageDocument() {
    static const Text document = HomePageDocument(endpoints::kBlankLandingPage);
    return document;
}

const Text& UsHomePageDocument() {
    static const Text document = HomePageDocument(endpoints::kUsLandingPage);
    return document;
}
