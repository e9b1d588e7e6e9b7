#include "core/catalogue.h"

#include <array>

using namespace Qt::StringLiterals;

namespace Catalogue {

namespace {

// Five names a line; the comment gives the image number of the first one.

const QStringList &iconarioNames()
{
    static const QStringList list = {
        /*  1 */ u"Angelo"_s,
        u"Contrario"_s,
        u"Pallacanestro"_s,
        u"Ridere a crepapelle"_s,
        u"Boccaccia"_s,
        /*  6 */ u"Bleah"_s,
        u"Leggere"_s,
        u"Lui al cellulare"_s,
        u"Applauso"_s,
        u"Cotton Fiock"_s,
        /* 11 */ u"Allucinato"_s,
        u"Cucinare"_s,
        u"Favorevole"_s,
        u"Innamorati"_s,
        u"Piangere"_s,
        /* 16 */ u"Diavolo"_s,
        u"Svenimento"_s,
        u"Abbuffarsi"_s,
        u"C'è mancato poco"_s,
        u"Combattimento"_s,
        /* 21 */ u"Omaggio Floreale"_s,
        u"Lei al cellulare"_s,
        u"Ghiacciato"_s,
        u"Orticaria"_s,
        u"Sincope"_s,
        /* 26 */ u"Regalo"_s,
        u"Ginnastica"_s,
        u"Afa"_s,
        u"Ipnosi"_s,
        u"Gongolarsi"_s,
        /* 31 */ u"Karate"_s,
        u"Bacio"_s,
        u"Mi fai ridere"_s,
        u"Innamorato"_s,
        u"Soldato"_s,
        /* 36 */ u"Guadagni in vista"_s,
        u"Ascoltare musica"_s,
        u"Oh mio Dio !"_s,
        u"No"_s,
        u"Infermiera"_s,
        /* 41 */ u"Masochista"_s,
        u"Acido"_s,
        u"Sci"_s,
        u"Dormire"_s,
        u"Fumare"_s,
        /* 46 */ u"Calcio"_s,
        u"Chirurgo"_s,
        u"Digitare"_s,
        u"Che cosa ?!?"_s,
        u"Preoccupato"_s,
        /* 51 */ u"Si"_s,
    };
    return list;
}

const QStringList &ptoInformaticoNames()
{
    static const QStringList list = {
        /*  1 */ u"sorriso"_s,
        u"spavento"_s,
        u"occhiolino"_s,
        u"stupito"_s,
        u"linguetta"_s,
        /*  6 */ u"preoccupato"_s,
        u"arrabbiato"_s,
        u"confuso"_s,
        u"imbarazzato"_s,
        u"triste"_s,
        /* 11 */ u"disperato"_s,
        u"allibito"_s,
        u"cool"_s,
        u"angelo"_s,
        u"anonimo"_s,
        /* 16 */ u"diavoletto"_s,
        u"fantasmino"_s,
        u"professore"_s,
        u"idea"_s,
        u"I love Amiga"_s,
        /* 21 */ u"I love Apple"_s,
        u"I love Atari"_s,
        u"I love C64"_s,
        u"I love Linux"_s,
        u"I love Windows"_s,
        /* 26 */ u"che significa ?"_s,
        u"annoiato"_s,
        u"cuore infranto"_s,
        u"pirata"_s,
        u"robot"_s,
        /* 31 */ u"contentissimo"_s,
        u"troll 1"_s,
        u"troll 2"_s,
        u"troll 3"_s,
        u"troll 4"_s,
        /* 36 */ u"troll 5"_s,
    };
    return list;
}

const QStringList &quizzyNames()
{
    static const QStringList list = {
        /*  1 */ u"gruppetto"_s,
        u"risata"_s,
        u"bacio blu"_s,
        u"maledizione !"_s,
        u"gasp !"_s,
        /*  6 */ u"sorriso"_s,
        u"violinista"_s,
        u"applauso"_s,
        u"balletto"_s,
        u"acc..."_s,
        /* 11 */ u"sbavare"_s,
        u"eh ?"_s,
        u"non mi interessa"_s,
        u"bugiardo"_s,
        u"no no no"_s,
        /* 16 */ u"per favore"_s,
        u"sshssssst !"_s,
        u"preoccupato"_s,
        u"malato"_s,
        u"zittito"_s,
        /* 21 */ u"non parlo più"_s,
        u"pensieroso"_s,
        u"sono bloccato"_s,
        u"fischiettando"_s,
        u"cannonate"_s,
        /* 26 */ u"sparare sale"_s,
        u"granate"_s,
        u"combattimento"_s,
        u"fucile al laser"_s,
        u"bazooka"_s,
        /* 31 */ u"cecchino"_s,
        u"sigaro"_s,
        u"gh gh gh"_s,
        u"ciaooo"_s,
        u"nascondersi"_s,
        /* 36 */ u"freccetta"_s,
        u"serial killer"_s,
        u"sorrisone"_s,
        u"tiè"_s,
        u"confuso"_s,
        /* 41 */ u"cool"_s,
        u"eeeeeehk ?"_s,
        u"diavolo"_s,
        u"esclamazione"_s,
        u"rintronato"_s,
        /* 46 */ u"fottiti"_s,
        u"idea"_s,
        u"sete"_s,
        u"orso"_s,
        u"mmmmmh"_s,
        /* 51 */ u"chitarrista"_s,
        u"eh eh eh"_s,
        u"pazzo"_s,
        u"diavoletto"_s,
        u"risata verde"_s,
        /* 56 */ u"neutrale"_s,
        u"vomito"_s,
        u"consolare"_s,
        u"pallone"_s,
        u"ubriachi"_s,
        /* 61 */ u"domanda"_s,
        u"linguetta"_s,
        u"emozione"_s,
        u"occhi al cielo"_s,
        u"triste"_s,
        /* 66 */ u"contento"_s,
        u"sorpreso"_s,
        u"batticuore"_s,
        u"rapimento"_s,
        u"marjiuana"_s,
        /* 71 */ u"occhiolino"_s,
        u"strizza l'occhio"_s,
        u"guardarsi attorno"_s,
        u"adorazione"_s,
        u"piangere"_s,
        /* 76 */ u"canto"_s,
        u"stranito"_s,
        u"caricaaaaaa"_s,
        u"scalata"_s,
        u"sega a motore"_s,
        /* 81 */ u"arrivano i nostri !"_s,
        u"assassinio"_s,
        u"già già"_s,
        u"mitra"_s,
        u"du da da dum"_s,
        /* 86 */ u"peso della cultura"_s,
    };
    return list;
}

const QStringList &yahooNames()
{
    static const QStringList list = {
        /*  1 */ u"sorridente"_s,
        u"triste"_s,
        u"occhiolino"_s,
        u"sorrisone"_s,
        u"flirting"_s,
        /*  6 */ u"abbraccio"_s,
        u"confuso"_s,
        u"innamorato"_s,
        u"emozionato"_s,
        u"linguetta"_s,
        /* 11 */ u"bacio"_s,
        u"cuore spezzato"_s,
        u"sorpreso"_s,
        u"arrabbiato"_s,
        u"compiaciuto"_s,
        /* 16 */ u"cool"_s,
        u"preoccupato"_s,
        u"whew !"_s,
        u"risata satanica"_s,
        u"disperato"_s,
        /* 21 */ u"risata"_s,
        u"indifferente"_s,
        u"perplesso"_s,
        u"a crepapelle"_s,
        u"angelo"_s,
        /* 26 */ u"secchione"_s,
        u"non mi interessa"_s,
        u"addormentato"_s,
        u"occhi al cielo"_s,
        u"perdente"_s,
        /* 31 */ u"schifoso"_s,
        u"segreto"_s,
        u"non ti parlo più"_s,
        u"clown"_s,
        u"drogato"_s,
        /* 36 */ u"festa"_s,
        u"sbadiglio"_s,
        u"sbavo per te"_s,
        u"meditabondo"_s,
        u"oh mio Dio"_s,
        /* 41 */ u"applauso"_s,
        u"spaventato"_s,
        u"allucinato"_s,
        u"bugiardo"_s,
        u"sto aspettando"_s,
        /* 46 */ u"sospiro"_s,
        u"linguaccia"_s,
        u"cow boy"_s,
        u"maialino"_s,
        u"mucca"_s,
        /* 51 */ u"scimmia"_s,
        u"gallina"_s,
        u"rosa"_s,
        u"quadrifoglio"_s,
        u"bandiera USA"_s,
        /* 56 */ u"zucca"_s,
        u"caffè"_s,
        u"idea"_s,
        u"teschio"_s,
        u"alieno"_s,
        /* 61 */ u"alien"_s,
        u"frustrato"_s,
        u"supplichevole"_s,
        u"soldi soldi !"_s,
        u"fischiettando"_s,
        /* 66 */ u"sottosopra"_s,
        u"pace"_s,
        u"vergogna"_s,
        u"balletto"_s,
        u"fatti avanti !"_s,
        /* 71 */ u"hi hi hi"_s,
        u"hiro"_s,
        u"billy"_s,
        u"april"_s,
        u"yin yang"_s,
        /* 76 */ u"bla bla bla"_s,
        u"adorazione"_s,
        u"non ci credo"_s,
        u"stellina"_s,
        u"sono al telefono"_s,
        /* 81 */ u"chiamami !"_s,
        u"nevrotico"_s,
        u"onda"_s,
        u"tempo !"_s,
        u"sognatore"_s,
        /* 86 */ u"non lo so"_s,
        u"non ti sento"_s,
        u"cucciolo"_s,
    };
    return list;
}
} // namespace

const EmoticonSet &set(int index)
{
    static const std::array<EmoticonSet, setCount> sets = {{
        {u"Iconario"_s, u"Set Iconario I"_s, u"Iconario/"_s},
        {u"Punto Inform."_s, u"Set Punto Informatico"_s, u"PtoInformatico/"_s},
        {u"Quizzy"_s, u"Set Quizzy"_s, u"Quizzy/"_s},
        {u"Yahoo"_s, u"Set Yahoo"_s, u"Yahoo/"_s},
        {u"Personale"_s, u"Set Personale"_s, QString()},
    }};
    static const EmoticonSet none;
    return index >= 0 && index < setCount ? sets[std::size_t(index)] : none;
}

const QStringList &names(int index)
{
    static const QStringList none;
    switch (index) {
    case 0:
        return iconarioNames();
    case 1:
        return ptoInformaticoNames();
    case 2:
        return quizzyNames();
    case 3:
        return yahooNames();
    default:
        return none;
    }
}

QString imageUrl(const QString &emoticonBase, const QString &folder, int listIndex)
{
    return emoticonBase + folder + QString::number(listIndex + 1) + u".gif"_s;
}

QString imageTag(const QString &url)
{
    // Forums end the address at a blank or a quote, and read brackets and
    // angle brackets inside it as tags of their own: those, and controls, go
    // in as %XX of their UTF-8 bytes. A % is left alone, so an address that
    // was encoded already is not encoded twice.
    const auto refused = [](char16_t c) {
        return c < 0x20 || c == u' ' || c == u'"' || c == u'[' || c == u']' || c == u'<' || c == u'>'
            || (c >= 0x7f && c <= 0x9f);
    };
    QString safe;
    safe.reserve(url.size());
    for (const QChar c : url) {
        if (!refused(c.unicode())) {
            safe += c;
            continue;
        }
        const QByteArray bytes = QString(c).toUtf8();
        for (const char byte : bytes)
            safe += u'%' + QString::number(uchar(byte), 16).toUpper().rightJustified(2, u'0');
    }
    return u"[img]"_s + safe + u"[/img]"_s;
}

} // namespace Catalogue
