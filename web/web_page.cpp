#include "web/web_page.h"

#include "config/string_ids.h"
#include "web/json_text.h"
#include "web/quantities.h"

namespace nimbra {

namespace {

// Chart groups: title id and the quantities drawn together.
struct ChartGroup {
    int titleId;
    const char* fields;
};
constexpr ChartGroup kCharts[] = {
    {kTextTemperature, "OutTemp,InTemp,DewPoint,WindChill"},
    {kTextHumidity, "OutHumi,InHumi"},
    {kTextPressure, "RelPressure,AbsPressure"},
    {kTextWind, "Wind,Gust"},
    {kTextRainfall, "Rain"},
    {kTextLight, "Light"},
    {kTextUvi, "UV"},
};

constexpr const char* kStyle = R"css(
body{font-family:sans-serif;margin:1em;background:#f6f7f9;color:#222}
h1{font-size:1.4em;margin:0 0 .3em}
h2{font-size:1.15em;margin:1.2em 0 .4em}
#status{color:#555;margin-bottom:.6em}
table{border-collapse:collapse;background:#fff}
th,td{padding:.25em .7em;border-bottom:1px solid #ddd;text-align:left}
td.v{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}
td.t{color:#666;font-size:.85em;white-space:nowrap}
#range button{margin-right:.3em}
#range input{margin:0 .3em}
.chart{background:#fff;margin:.6em 0;padding:.4em}
.chart h3{font-size:1em;margin:.1em 0 .3em}
.plot{width:100%;height:220px}
#hint,#empty{color:#666;font-size:.9em}
)css";

constexpr const char* kScript = R"js(
"use strict";
const $ = (id) => document.getElementById(id);
const pad = (n) => String(n).padStart(2, "0");
const isoLocal = (d) => d.getFullYear() + "-" + pad(d.getMonth() + 1) + "-" + pad(d.getDate()) +
  "T" + pad(d.getHours()) + ":" + pad(d.getMinutes()) + ":" + pad(d.getSeconds());
const timeText = (t) => t ? t.replace("T", " ") : "";

function buildReadings() {
  const body = $("readings");
  for (const q of QUANTITIES) {
    const row = document.createElement("tr");
    row.innerHTML = "<th></th><td class=v id=cur-" + q.name + ">--</td>" +
      "<td class=v id=max-" + q.name + "></td><td class=t id=maxt-" + q.name + "></td>" +
      "<td class=v id=min-" + q.name + "></td><td class=t id=mint-" + q.name + "></td>";
    row.firstChild.textContent = q.label;
    body.appendChild(row);
  }
}

async function refreshReadings() {
  try {
    const reply = await fetch("api/current", {cache: "no-store"});
    if (!reply.ok) return;
    const now = await reply.json();
    for (const q of QUANTITIES) {
      $("cur-" + q.name).textContent = now.Shown.Current[q.name];
      if (q.extremes) {
        $("max-" + q.name).textContent = now.Shown.Max[q.name];
        $("min-" + q.name).textContent = now.Shown.Min[q.name];
        $("maxt-" + q.name).textContent = timeText(now.MaxTime[q.name]);
        $("mint-" + q.name).textContent = timeText(now.MinTime[q.name]);
      }
    }
    $("status").textContent = now.Current.Time ?
      TEXT.updated + ": " + timeText(now.Current.Time) : TEXT.waiting;
  } catch (error) {
    $("status").textContent = TEXT.waiting;
  }
}

const charts = [];
function buildCharts() {
  for (const group of CHARTS) {
    const box = document.createElement("div");
    box.className = "chart";
    const title = document.createElement("h3");
    title.textContent = group.title;
    const plot = document.createElement("div");
    plot.className = "plot";
    box.append(title, plot);
    $("charts").appendChild(box);
    charts.push({group, title, plot, graph: null});
  }
}

let loading = 0;
async function loadRange(from, to) {
  const ticket = ++loading;
  $("from").value = isoLocal(from).slice(0, 16);
  $("to").value = isoLocal(to).slice(0, 16);
  const fields = CHARTS.map((g) => g.fields).join(",");
  const points = Math.max(200, Math.min(4000, Math.round(window.innerWidth * 2)));
  const url = "api/history?from=" + isoLocal(from) + "&to=" + isoLocal(to) + "&fields=" +
    fields + "&points=" + points;
  const reply = await fetch(url, {cache: "no-store"});
  const history = await reply.json();
  if (ticket !== loading) return;
  if (!reply.ok) {
    $("empty").textContent = history.error;
    return;
  }
  $("empty").textContent = history.data.length ? "" : TEXT.empty;
  const rows = history.data.map((row) => [new Date(row[0])].concat(row.slice(1)));
  for (const chart of charts) {
    const names = chart.group.fields.split(",");
    const columns = names.map((n) => history.fields.indexOf(n));
    const data = rows.length ? rows.map((row) => [row[0]].concat(columns.map((c) => row[c]))) :
      [[from].concat(names.map(() => null)), [to].concat(names.map(() => null))];
    const unit = history.units[names[0]];
    chart.title.textContent = chart.group.title + (unit ? " [" + unit + "]" : "");
    const options = {
      file: data, labels: ["Time"].concat(names.map((n) => LABELS[n])),
      legend: "always", stepPlot: names[0] === "Rain", fillGraph: names[0] === "Rain",
      dateWindow: [from.getTime(), to.getTime()],
      zoomCallback: (low, high) => {
        if (high - low > 60000) loadRange(new Date(low), new Date(high));
      },
    };
    if (chart.graph) chart.graph.updateOptions(options);
    else chart.graph = new Dygraph(chart.plot, data, options);
  }
}

function showLast(days) {
  const to = new Date();
  loadRange(new Date(to.getTime() - days * 86400000), to);
}

buildReadings();
buildCharts();
for (const button of document.querySelectorAll("#range button[data-days]")) {
  button.addEventListener("click", () => showLast(Number(button.dataset.days)));
}
$("show").addEventListener("click", () => {
  const from = new Date($("from").value), to = new Date($("to").value);
  if (!isNaN(from) && !isNaN(to) && from < to) loadRange(from, to);
});
refreshReadings();
setInterval(refreshReadings, 5000);
showLast(1);
)js";

std::string escapeHtml(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A string for a script: JSON, with "</" broken so no text can close the script element.
std::string scriptString(const std::string& text) {
    std::string json;
    appendJsonString(json, text);
    std::string out;
    for (std::size_t i = 0; i < json.size(); ++i) {
        out += json[i];
        if (json[i] == '<' && i + 1 < json.size() && json[i + 1] == '/') {
            out += '\\';
        }
    }
    return out;
}

std::string trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

}  // namespace

std::string webPage(const TextLookup& text) {
    const auto t = [&text](int id) { return trimmed(text(id)); };
    std::string quantitiesJs = "[";
    std::string labelsJs = "{";
    for (const Quantity& q : quantities()) {
        labelsJs += (labelsJs.size() > 1 ? "," : "") + scriptString(q.name) + ":" +
                    scriptString(t(q.labelId));
        if (!q.live) {
            continue;
        }
        quantitiesJs += (quantitiesJs.size() > 1 ? "," : "");
        quantitiesJs += "{name:" + scriptString(q.name) + ",label:" + scriptString(t(q.labelId)) +
                        ",extremes:" + (q.slot >= 0 ? "true" : "false") + "}";
    }
    quantitiesJs += "]";
    labelsJs += "}";
    std::string chartsJs = "[";
    for (const ChartGroup& group : kCharts) {
        chartsJs += (chartsJs.size() > 1 ? "," : "");
        chartsJs += "{title:" + scriptString(t(group.titleId)) +
                    ",fields:" + scriptString(group.fields) + "}";
    }
    chartsJs += "]";

    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>NimbraPlus</title>\n"
        "<link rel=\"stylesheet\" href=\"js/dygraph.min.css\">\n<style>";
    page += kStyle;
    page += "</style></head><body>\n<h1>NimbraPlus</h1>\n<div id=\"status\">" +
            escapeHtml(t(kTextWebWaiting)) + "</div>\n";
    page += "<table><thead><tr><th></th><th>" + escapeHtml(t(kTextCurrent)) +
            "</th><th colspan=2>" + escapeHtml(t(kTextHigh)) + "</th><th colspan=2>" +
            escapeHtml(t(kTextLow)) + "</th></tr></thead><tbody id=\"readings\"></tbody></table>\n";
    page += "<h2>" + escapeHtml(t(kTextHistory)) + "</h2>\n<div id=\"range\">";
    const std::pair<int, int> spans[] = {
        {kTextWebDay, 1}, {kTextWeekColumn, 7}, {kTextMonthColumn, 31}, {kTextWebYear, 366}};
    for (const auto& [id, days] : spans) {
        page +=
            "<button data-days=\"" + std::to_string(days) + "\">" + escapeHtml(t(id)) + "</button>";
    }
    page += " <label>" + escapeHtml(t(kTextStartTime)) +
            "<input type=\"datetime-local\" id=\"from\"></label><label>" +
            escapeHtml(t(kTextEndTime)) +
            "<input type=\"datetime-local\" id=\"to\"></label><button id=\"show\">" +
            escapeHtml(t(kTextSearch)) + "</button></div>\n";
    page +=
        "<div id=\"hint\">" + escapeHtml(t(kTextWebZoomHint)) + "</div><div id=\"empty\"></div>\n";
    page += "<div id=\"charts\"></div>\n<script src=\"js/dygraph.min.js\"></script>\n<script>\n";
    page += "const QUANTITIES = " + quantitiesJs + ";\nconst LABELS = " + labelsJs +
            ";\nconst CHARTS = " + chartsJs +
            ";\nconst TEXT = {updated:" + scriptString(t(kTextWebLastUpdate)) +
            ",waiting:" + scriptString(t(kTextWebWaiting)) +
            ",empty:" + scriptString(t(kTextWebNoRecords)) + "};\n";
    page += kScript;
    page += "</script></body></html>\n";
    return page;
}

}  // namespace nimbra
