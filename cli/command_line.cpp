#include "cli/command_line.h"

#include "base/tool_error.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace {

// The name of the positional that holds a command's arguments.
constexpr const char* kArgs = "args";

// Thrown by the help and version flags the moment they are read, so that what follows
// them on the command line does not matter.
struct Answered {
    Answer answer;
};

std::string toStd(const QString& text) {
    return text.toStdString();
}

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// A word the parser did not take. Before the command it is either a mistyped option or
// the command's name; after the command every plain word is one of the command's arguments.
UsageError unknown(const QString& word) {
    const bool option = word.size() > 1 && word[0] == u'-' && !word[1].isDigit();
    return UsageError{(option ? QStringLiteral("未知选项 ") : QStringLiteral("未知命令 ")) +
                      echoed(word)};
}

// The parser stopped at an option: either nothing followed an option that takes a value,
// or a flag was given one ("--json=1").
UsageError optionError(const QString& typed, const Command* command) {
    const QString name = echoed(typed.section(u'=', 0, 0));
    if (command)
        for (const CommandOption& o : commandOptions(*command))
            if (name == QLatin1String(o.name))
                return o.value ? UsageError{name + QStringLiteral(" 后缺少") +
                                            QString::fromUtf8(o.value)}
                               : UsageError{name + QStringLiteral(" 不接受参数")};
    for (const ProgramOption& o : programOptions())
        if (!o.value && QString::fromUtf8(o.names).split(u',').contains(name))
            return UsageError{name + QStringLiteral(" 不接受参数")};
    return UsageError{name + QStringLiteral(" 后缺少参数")};
}

// CLI11 reads "--proxy=" as "--proxy" and takes the next word for its value, so an empty
// value is refused before the parser sees it, naming the option.
void refuseEmptyValues(const QStringList& words, const std::vector<Command>& table) {
    for (const QString& word : words) {
        if (word == QLatin1String("--"))
            return;
        if (!word.startsWith(QLatin1String("--")) || word.indexOf(u'=') != word.size() - 1)
            continue;
        const QString name = word.chopped(1);
        for (const ProgramOption& o : programOptions())
            if (o.value && QString::fromUtf8(o.names).split(u',').contains(name))
                throw optionError(word, nullptr);
        for (const Command& c : table)
            for (const CommandOption& o : commandOptions(c))
                if (o.value && name == QLatin1String(o.name))
                    throw optionError(word, &c);
    }
}

void addProgramOption(CLI::App& app, const ProgramOption& option, Settings& settings) {
    if (const auto* answer = std::get_if<Answer>(&option.sets)) {
        app.add_flag_callback(option.names, [a = *answer] { throw Answered{a}; })
            ->trigger_on_parse()
            ->disable_flag_override();
    } else if (const auto* flag = std::get_if<bool Settings::*>(&option.sets)) {
        app.add_flag(option.names, settings.**flag)->disable_flag_override();
    } else {
        app.add_option(option.names)
            ->each([&settings, member = std::get<QString Settings::*>(option.sets)](
                       const std::string& v) { settings.*member = fromStd(v); });
    }
}

void addCommandOption(CLI::App& sub, const CommandOption& option, QMap<QString, QString>& options) {
    if (!option.value) {
        sub.add_flag_callback(option.name,
                              [&options, option] {
                                  options.insert(QString::fromUtf8(option.name),
                                                 QStringLiteral("1"));
                              })
            ->disable_flag_override();
        return;
    }
    sub.add_option(option.name)->each([&options, option](const std::string& v) {
        const QString value = fromStd(v);
        if (option.check)
            option.check(value);
        options.insert(QString::fromUtf8(option.name), value);
    });
}

} // namespace

CommandLine parseCommandLine(const QStringList& words, const std::vector<Command>& table) {
    refuseEmptyValues(words, table);
    CommandLine line;
    CLI::App app;
    app.set_help_flag();
    app.allow_extras(); // reported below, in the program's words
    app.require_subcommand(0, 1);
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    for (const ProgramOption& o : programOptions())
        addProgramOption(app, o, line.settings);

    std::vector<std::pair<CLI::App*, const Command*>> subs;
    size_t unknownBeforeCommand = 0;
    for (const Command& c : table) {
        CLI::App* sub = app.add_subcommand(c.name);
        sub->fallthrough(); // the program's options may follow the command
        sub->preparse_callback([&](size_t) { unknownBeforeCommand = app.remaining().size(); });
        // Expects ever more words: a command that expects none hands a "--", and the words
        // after it, back to the program instead of taking them as arguments. The count is
        // checked below, against the command's own limits.
        sub->add_option(kArgs)
            ->expected(CLI::detail::expected_max_vector_size)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        for (const CommandOption& o : commandOptions(c))
            addCommandOption(*sub, o, line.options);
        subs.emplace_back(sub, &c);
    }

    std::vector<std::string> rest;
    std::transform(words.rbegin(), words.rend(), std::back_inserter(rest), toStd);
    std::optional<UsageError> failure;
    std::optional<QString> stoppedAt;
    try {
        app.parse(rest);
    } catch (const Answered& a) {
        line.answer = a.answer;
    } catch (const UsageError& e) {
        failure = e;
    } catch (const CLI::ParseError&) {
        // "rest" holds, reversed, the words after the one the parser was reading.
        stoppedAt = words[words.size() - qsizetype(rest.size()) - 1];
    }

    CLI::App* sub = nullptr;
    for (const auto& [candidate, command] : subs)
        if (candidate->parsed()) {
            sub = candidate;
            line.command = command;
        }
    const std::vector<std::string> unknownWords = app.remaining();
    if (!sub)
        unknownBeforeCommand = unknownWords.size();
    // Mistakes are reported in the order they were typed, except that help wins over an
    // unknown option after the command: "COMMAND --help" is how one learns what it takes.
    if (unknownBeforeCommand > 0)
        throw unknown(fromStd(unknownWords.front()));
    if (line.answer)
        return line;
    if (!unknownWords.empty())
        throw unknown(fromStd(unknownWords.front()));
    if (stoppedAt)
        throw optionError(*stoppedAt, line.command);
    if (failure)
        throw *failure;
    if (!sub)
        throw UsageError{QStringLiteral("缺少命令")};

    for (const std::string& w : sub->get_option(kArgs)->results())
        line.args += fromStd(w);
    const Command& c = *line.command;
    // With --batch the inputs come from the file, and the command says so if more are typed.
    const bool batch = c.batchLine && line.options.contains(QStringLiteral("--batch"));
    if (!batch && (line.args.size() < c.minArgs || line.args.size() > c.maxArgs))
        throw UsageError{QStringLiteral("%1 的参数个数不对：%1 %2")
                             .arg(QString::fromUtf8(c.name), QString::fromUtf8(c.synopsis))};
    requestTimeout(line.settings);
    return line;
}
