#include "panel_page.h"

#include "panel_page_text.h"

namespace panel_host {

const std::string& panelPage()
{
    static const std::string page = panelPageText;
    return page;
}

}  // namespace panel_host
