// The buttons every converter page has. 转换 runs the page's own convert() on the input box,
// 清空 empties both boxes, 全选 selects the result for copying. show, when given, also receives
// each result, and "" when the boxes are emptied.
function wireConverterButtons(show) {
  var input = document.getElementById("input");
  var output = document.getElementById("output");
  document.getElementById("convert").onclick = function () {
    var result = convert(input.value);
    output.value = result;
    if (show) show(result);
  };
  document.getElementById("clear").onclick = function () {
    input.value = "";
    output.value = "";
    if (show) show("");
    input.focus();
  };
  document.getElementById("selectall").onclick = function () {
    output.focus();
    output.select();
  };
}
