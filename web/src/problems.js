// The Problems list: the server's diagnostics, each code linked to its mend
// in docs/check-codes.md, which the page carries.

// The codes' table rows: code, severity, what it means, the mend.
function codeTable() {
  const codes = new Map();
  for (const line of VELNORI_CHECK_CODES.split('\n')) {
    const cells = line.split('|').map((cell) => cell.trim());
    const code = /^`([\w-]+)`$/.exec(cells[1] || '');
    if (code && cells.length >= 6) codes.set(code[1], { meaning: cells[3], mend: cells[4] });
  }
  return codes;
}

const SHOWN = 500;

export class ProblemsList {
  constructor(list, codesSection, moveTo) {
    this.list = list;
    this.moveTo = moveTo;
    this.codes = codeTable();
    for (const [code, { meaning, mend }] of this.codes) {
      const entry = document.createElement('dt');
      entry.id = `code-${code}`;
      entry.textContent = code;
      const text = document.createElement('dd');
      text.textContent = `${meaning} Mend: ${mend}`;
      codesSection.append(entry, text);
    }
  }

  show(diagnostics) {
    this.list.innerHTML = '';
    const sorted = diagnostics.slice().sort((a, b) => a.range.start.line - b.range.start.line);
    // A story full of mistakes would rebuild thousands of rows at each key;
    // the editor marks every one of them anyway.
    for (const d of sorted.slice(0, SHOWN)) {
      const row = document.createElement('li');
      row.className = d.severity === 1 ? 'error' : 'warning';
      const where = document.createElement('button');
      where.className = 'where';
      where.textContent = `line ${d.range.start.line + 1}`;
      where.addEventListener('click', () => this.moveTo(d.range.start));
      row.append(where, ` ${d.message} `);
      if (d.code) {
        const link = document.createElement('a');
        link.className = 'code';
        link.href = `#code-${d.code}`;
        link.textContent = d.code;
        const known = this.codes.get(d.code);
        if (known) link.title = `Mend: ${known.mend}`;
        link.addEventListener('click', (event) => {
          event.preventDefault();
          const target = document.getElementById(`code-${d.code}`);
          if (target) {
            target.closest('details').open = true;
            target.scrollIntoView();
          }
        });
        row.append(link);
      }
      this.list.appendChild(row);
    }
    if (sorted.length > SHOWN) {
      const more = document.createElement('li');
      more.className = 'more';
      more.textContent = `… and ${sorted.length - SHOWN} more`;
      this.list.appendChild(more);
    }
    this.list.dataset.count = String(diagnostics.length);
  }
}
