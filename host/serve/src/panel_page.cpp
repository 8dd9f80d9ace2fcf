#include "panel_page.h"

#include "panel_page_text.h"

const std::string& panelPage()
{
    static const std::string page = panelPageText;
    return page;
}
