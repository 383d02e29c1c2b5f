#include "bridge/WebPage.h"

// Written at build time from bridge/web/ (embed.cmake).
extern const unsigned char kWeb_page_html[], kWeb_page_js[], kWeb_page_css[];
extern const std::size_t kWeb_page_html_size, kWeb_page_js_size, kWeb_page_css_size;

const WebAsset* findWebAsset(const std::string& path)
{
    static const WebAsset assets[] = {
        {"/", "text/html; charset=utf-8", kWeb_page_html, kWeb_page_html_size},
        {"/page.js", "text/javascript; charset=utf-8", kWeb_page_js, kWeb_page_js_size},
        {"/page.css", "text/css; charset=utf-8", kWeb_page_css, kWeb_page_css_size},
    };
    for (const WebAsset& asset : assets)
        if (path == asset.path)
            return &asset;
    return nullptr;
}
