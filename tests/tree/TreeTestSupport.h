#pragma once

#include "ClientDataSet.h"
#include "CodeList.h"
#include "CodeTree.h"
#include "DataPacket.h"
#include "MemoryTreeNodes.h"
#include "ProgressIndicator.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kodexa::tree::testing {

// Records what the build does to its progress indicator.
class RecordingProgress : public ProgressIndicator {
public:
    void setRange(std::size_t low, std::size_t high) override {
        minimum = low;
        maximum = high;
        ++rangeSets;
    }
    void setPosition(std::size_t value) override { position = value; }
    void step() override {
        ++position;
        ++steps;
        if (!visible)
            ++stepsWhileHidden;
    }
    void setVisible(bool shown) override {
        visible = shown;
        ++visibilityChanges;
    }
    void repaint() override {
        if (visible)
            ++repaintsWhileVisible;
    }

    std::size_t minimum = 0;
    std::size_t maximum = 100;
    std::size_t position = 0;
    std::size_t steps = 0;
    std::size_t stepsWhileHidden = 0;
    int rangeSets = 0;
    int visibilityChanges = 0;
    int repaintsWhileVisible = 0;
    bool visible = false;
};

// A table over rows given as "code TAB description" lines, in that stored order. Rows that share
// a code need a packet without the unique key PRIMARY_KEY, which the table would refuse to open.
struct SmallTable {
    enum class Key { Unique, None };

    explicit SmallTable(std::string_view rows, std::string name = "QueryCPVTree", Key key = Key::Unique)
        : block(blockOf(rows, key)), table(std::move(name)) {
        table.setCarriedBlock(asBytes(block));
        table.open();
    }

    static std::string blockOf(std::string_view rows, Key key) {
        const std::string tsv = "CPV_ID\tCPV_DESC\n" + std::string(rows);
        if (key == Key::Unique)
            return codelist::blockFromTsv(tsv);
        PacketSchema schema = codelist::schema();
        std::erase_if(schema.attributes,
                      [](const PacketAttribute& attribute) { return attribute.name == "PRIMARY_KEY"; });
        return makeBlock(writePacket(schema, codelist::rowsFromTsv(tsv)));
    }

    std::string block; // the table reads its block in place, so it comes first and lives as long
    TClientDataSet table;
};

// The tree as the main window holds it: the nodes, the progress bar and the build's members.
struct BuiltTree {
    MemoryTreeNodes nodes;
    RecordingProgress progress;
    NodeRef rootNode;
    std::string currentCode;
    std::string currentDesc;

    void build(TClientDataSet& table) {
        BuildCodeTree(table, nodes, progress, rootNode, currentCode, currentDesc);
    }
};

inline std::unique_ptr<TClientDataSet> carriedTable(std::string name) {
    auto table = std::make_unique<TClientDataSet>(std::move(name));
    codelist::loadCarried(*table);
    return table;
}

inline std::string codeOf(const MemoryTreeNodes& nodes, NodeRef node) {
    return nodes.text(node).substr(0, nodes.text(node).find(':'));
}

// Every code node by its code.
inline std::map<std::string, NodeRef> nodesByCode(const MemoryTreeNodes& nodes) {
    std::map<std::string, NodeRef> byCode;
    nodes.forEachNode([&](NodeRef node, std::size_t depth) {
        if (depth > 0)
            byCode.emplace(codeOf(nodes, node), node);
    });
    return byCode;
}

} // namespace kodexa::tree::testing
