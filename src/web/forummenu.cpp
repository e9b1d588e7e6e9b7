#include "web/forummenu.h"

#include "core/catalogue.h"
#include "core/personalset.h"
#include "gui/controls.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QSettings>
#include <QWebEngineContextMenuRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace ForumMenu {

namespace {

const QString spellingKey = QStringLiteral("forum/spelling");

} // namespace

void translate(QWebEnginePage *page)
{
    // The engine's own translations do not include Italian.
    static const std::pair<QWebEnginePage::WebAction, const char16_t *> names[] = {
        {QWebEnginePage::Back, u"Indietro"},
        {QWebEnginePage::Forward, u"Avanti"},
        {QWebEnginePage::Reload, u"Aggiorna"},
        {QWebEnginePage::Stop, u"Termina"},
        {QWebEnginePage::Cut, u"Taglia"},
        {QWebEnginePage::Copy, u"Copia"},
        {QWebEnginePage::Paste, u"Incolla"},
        {QWebEnginePage::PasteAndMatchStyle, u"Incolla come testo semplice"},
        {QWebEnginePage::Undo, u"Annulla"},
        {QWebEnginePage::Redo, u"Ripeti"},
        {QWebEnginePage::SelectAll, u"Seleziona tutto"},
        {QWebEnginePage::Unselect, u"Deseleziona"},
        {QWebEnginePage::OpenLinkInThisWindow, u"Apri il collegamento qui"},
        {QWebEnginePage::OpenLinkInNewWindow, u"Apri il collegamento in una nuova finestra"},
        {QWebEnginePage::OpenLinkInNewTab, u"Apri il collegamento in una nuova scheda"},
        {QWebEnginePage::CopyLinkToClipboard, u"Copia l'indirizzo del collegamento"},
        {QWebEnginePage::DownloadLinkToDisk, u"Salva il collegamento"},
        {QWebEnginePage::CopyImageToClipboard, u"Copia l'immagine"},
        {QWebEnginePage::CopyImageUrlToClipboard, u"Copia l'indirizzo dell'immagine"},
        {QWebEnginePage::DownloadImageToDisk, u"Salva l'immagine"},
        {QWebEnginePage::CopyMediaUrlToClipboard, u"Copia l'indirizzo del contenuto"},
        {QWebEnginePage::DownloadMediaToDisk, u"Salva il contenuto"},
        {QWebEnginePage::SavePage, u"Salva la pagina"},
        {QWebEnginePage::ViewSource, u"Mostra il sorgente della pagina"},
        {QWebEnginePage::InspectElement, u"Ispeziona"},
    };
    for (const auto &[action, name] : names)
        page->action(action)->setText(QString::fromUtf16(name));
}

bool spellingWanted()
{
    return QSettings().value(spellingKey, true).toBool();
}

QMenu *build(QWebEngineView *view, const std::function<void(const QUrl &)> &addImage,
             const std::function<void(QWebEnginePage::WebAction)> &go, const QList<QAction *> &commands)
{
    // The engine's menu brings the suggestions for a misspelt word itself.
    QMenu *menu = view->createStandardContextMenu();
    Controls::setColours(menu, Qt::black, Controls::orange());
    menu->setFont(Controls::arial(9));
    for (const QWebEnginePage::WebAction leaving : {QWebEnginePage::Back, QWebEnginePage::Forward,
                                                    QWebEnginePage::Reload}) {
        QAction *engines = view->page()->action(leaving);
        if (!go || !menu->actions().contains(engines))
            continue;
        auto *ours = new QAction(engines->text(), menu);
        ours->setEnabled(engines->isEnabled());
        QObject::connect(ours, &QAction::triggered, view, [go, leaving] { go(leaving); });
        menu->insertAction(engines, ours);
        menu->removeAction(engines);
    }
    if (!commands.isEmpty()) {
        menu->addSeparator();
        menu->addActions(commands);
    }
    const QWebEngineContextMenuRequest *request = view->lastContextMenuRequest();
    if (!request)
        return menu;
    if (request->isContentEditable()) {
        menu->addSeparator();
        QAction *spelling = menu->addAction(QStringLiteral("Controllo ortografico"));
        spelling->setCheckable(true);
        QWebEngineProfile *profile = view->page()->profile();
        spelling->setChecked(profile->isSpellCheckEnabled());
        QObject::connect(spelling, &QAction::toggled, view, [profile](bool on) {
            profile->setSpellCheckEnabled(on);
            QSettings().setValue(spellingKey, on);
        });
    }

    const QUrl image = request->mediaUrl();
    const bool fromTheWeb = image.scheme() == u"http" || image.scheme() == u"https";
    if (request->mediaType() == QWebEngineContextMenuRequest::MediaTypeImage && fromTheWeb) {
        menu->addSeparator();
        QAction *copyTag = menu->addAction(QStringLiteral("Copia tag [img]"));
        QObject::connect(copyTag, &QAction::triggered, view, [image] {
            QClipboard *clipboard = QApplication::clipboard();
            clipboard->clear();
            clipboard->setText(Catalogue::imageTag(image.toString(QUrl::FullyEncoded)));
        });
        if (addImage && image.toEncoded().size() <= PersonalSet::longestUrl) {
            QAction *add = menu->addAction(QStringLiteral("Aggiungi al Set Personale…"));
            QObject::connect(add, &QAction::triggered, view, [addImage, image] { addImage(image); });
        }
    }
    return menu;
}

} // namespace ForumMenu
