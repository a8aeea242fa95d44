(function () {
  "use strict";
  const main = document.getElementById("cards");
  const cards = Array.from(main.children);
  const $ = (id) => document.getElementById(id);
  const filter = $("filter"), sort = $("sort"), direction = $("direction");
  const figure = $("figure"), least = $("least"), most = $("most"), shown = $("shown");
  let descending = false;
  // Seeds are offered only where the cards have them.
  if (!cards.some((card) => card.dataset.seed !== undefined)) {
    sort.querySelector("option[value=seed]").remove();
    filter.placeholder = "Name";
  }
  const number = (card, key) =>
    card.dataset[key] === undefined ? NaN : Number(card.dataset[key]);
  function matches(card, text) {
    if (text === "") return true;
    const seed = number(card, "seed");
    const range = text.match(/^(\d+)\s*-\s*(\d+)$/);
    if (range && !isNaN(seed)) return seed >= Number(range[1]) && seed <= Number(range[2]);
    if (/^\d+$/.test(text) && !isNaN(seed)) return seed === Number(text);
    return card.dataset.name.toLowerCase().includes(text.toLowerCase());
  }
  function withinBounds(card) {
    if (least.value === "" && most.value === "") return true;
    const value = number(card, figure.value);
    if (isNaN(value)) return false;
    return (least.value === "" || value >= Number(least.value)) &&
           (most.value === "" || value <= Number(most.value));
  }
  function compare(a, b) {
    const by = sort.value;
    let order = 0;
    if (by === "name") {
      order = a.dataset.name.localeCompare(b.dataset.name, undefined, {numeric: true});
    } else if (by !== "given") {
      const x = number(a, by), y = number(b, by);
      if (isNaN(x) || isNaN(y)) {
        // Cards without the figure (faulty maps) stay last either way.
        if (isNaN(x) !== isNaN(y)) return isNaN(x) ? 1 : -1;
      } else {
        order = x - y;
      }
    }
    if (descending) order = -order;
    return order || number(a, "order") - number(b, "order");
  }
  function update() {
    const text = filter.value.trim();
    let count = 0;
    for (const card of cards.slice().sort(compare)) {
      card.hidden = !(matches(card, text) && withinBounds(card));
      if (!card.hidden) count++;
      main.appendChild(card);
    }
    shown.textContent = count + " of " + cards.length + " shown";
  }
  direction.addEventListener("click", () => {
    descending = !descending;
    direction.textContent = descending ? "\u2193" : "\u2191";
    direction.setAttribute("aria-pressed", String(descending));
    update();
  });
  for (const control of [filter, least, most]) control.addEventListener("input", update);
  for (const control of [sort, figure]) control.addEventListener("change", update);
  update();
})();
